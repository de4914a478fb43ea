// The exports with the real binary: Control+S and Control+E answered in the save dialog as a user
// would, by typing a path and pressing Return; Control+C read back from the display's clipboard
// with xclip. Qt's own dialog is the one a display without a desktop gets; the viewer is started
// without a desktop's theme so that no other can stand in.
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <string>

#include "viewer_fixture.h"

namespace quorvanta::e2e {
namespace {

const EnvironmentChanges kNoDesktopTheme = {{"QT_QPA_PLATFORMTHEME", ""},
                                            {"XDG_CURRENT_DESKTOP", ""}};

// The picture's rows; the scroll bar covers its columns from kPlotRight on, on the screen only.
constexpr int kPictureWidth = 1000, kPictureHeight = 600;

class ExportEndToEnd : public ViewerEndToEnd {
  protected:
    // The shipped catalogue, every medium selected through the phase window's All.
    void start() {
        installShippedCatalogue();
        main_ = startViewerWith(QUORVANTA_VIEWER, {}, runFolder(), kNoDesktopTheme);
        ASSERT_NE(main_, 0u);
        ASSERT_TRUE(selectEveryMedium(main_));
        exports_ = folder_ / "exports";
        std::filesystem::create_directory(exports_);
    }

    // Presses the keys on the main window, then types path into the dialog that opens and
    // presses Return; true once the file stands there.
    bool saveThroughDialog(const std::string& keys, const std::string& title,
                           const std::filesystem::path& path) {
        windows_->keys(main_, {keys});
        const WindowId dialog = waitForWindow(title);
        if (dialog == 0) return false;
        windows_->keys(dialog, {"ctrl+a"});  // the proposed name, wherever the cursor stands
        windows_->type(dialog, path.string());
        windows_->keys(dialog, {"Return"});
        const bool saved = waitUntil([&] { return std::filesystem::exists(path); }, kWindowTimeout);
        EXPECT_TRUE(saved) << "nothing saved to " << path;
        EXPECT_TRUE(waitUntilHidden(title));
        return saved;
    }

    // What `quorvanta-db lines` prints for the start view's range of the viewer's catalogue.
    std::string linesOfTheStartView() {
        const CommandResult lines = runCommand(
            QUORVANTA_DBTOOL,
            {"lines", (runFolder() / "wavelength.dat").string(), "--from", "350", "--to", "800"},
            {});
        EXPECT_TRUE(lines.succeeded()) << lines.err;
        return lines.out;
    }

    WindowId main_ = 0;
    std::filesystem::path exports_;
};

TEST_F(ExportEndToEnd, ControlSSavesThePictureOnTheScreenAndControlETheLinesInView) {
    ASSERT_NO_FATAL_FAILURE(start());
    const auto picturePath = exports_ / "picture.png";
    ASSERT_TRUE(saveThroughDialog("ctrl+s", "Quorvanta - save the picture", picturePath));
    const QImage saved(QString::fromStdString(picturePath.string()));
    ASSERT_EQ(saved.width(), kPictureWidth);
    ASSERT_EQ(saved.height(), kPictureHeight);

    // With the dialog gone, the window shows the saved picture again: the export changed
    // nothing. The pointer stands off the window while the screen is read.
    windows_->moveTo({2, 2});
    const Rect at = geometryOf(main_);
    int differing = 0;
    const bool same = waitUntil(
        [&] {
            const Screenshot screen = display_->grab();
            differing = 0;
            for (int y = 0; y < kPictureHeight; ++y)
                for (int x = 0; x < kPlotRight; ++x) {
                    const QRgb p = saved.pixel(x, y);
                    differing += screen.at(at.x + x, at.y + y) != Rgb{qRed(p), qGreen(p), qBlue(p)};
                }
            return differing == 0;
        },
        kWindowTimeout);
    EXPECT_TRUE(same) << differing << " pixels of the screen unlike the saved picture";

    ASSERT_TRUE(saveThroughDialog("ctrl+e", "Quorvanta - save the lines", exports_ / "lines.csv"));
    EXPECT_EQ(quorvanta::testing::readText(exports_ / "lines.csv"), linesOfTheStartView());
    EXPECT_TRUE(otherWindowTitles().empty()) << "a warning or dialog still open";
    quitWithZero(main_);
}

TEST_F(ExportEndToEnd, ControlCPutsTheLinesInViewOnTheClipboard) {
    const auto xclip = findOnPath("xclip");
    if (!xclip) GTEST_SKIP() << "xclip is not installed (scripts/install-deps.sh installs it)";
    ASSERT_NO_FATAL_FAILURE(start());
    const std::string expected = linesOfTheStartView();
    windows_->keys(main_, {"ctrl+c"});
    std::string clipboard;
    const bool copied = waitUntil(
        [&] {
            clipboard = runCommand(*xclip, {"-selection", "clipboard", "-o"},
                                   {{"DISPLAY", display_->name()}}, 5s)
                            .out;
            return clipboard == expected;
        },
        kWindowTimeout);
    EXPECT_TRUE(copied) << "the clipboard holds:\n" << clipboard;
    quitWithZero(main_);
}

}  // namespace
}  // namespace quorvanta::e2e
