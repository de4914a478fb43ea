// What the end-to-end tests share: a private Xvfb whose frame buffer file is the screen, the real
// quorvanta binary started on it in a temporary folder, xdotool to find and drive its windows, and
// the settings file it leaves behind.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QRect>
#include <array>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "common/temp_dir.h"

void PrintTo(const QRect& rect, std::ostream* out);  // "(x,y wxh)" in gtest's messages

namespace quorvanta::e2e {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using WindowId = unsigned long;
using quorvanta::testing::readBytes;
using quorvanta::testing::writeFile;

inline const std::string kMainTitle = "Quorvanta 132 beta", kPhaseTitle = "Select By Phase",
                         kAboutTitle = "About Quorvanta - version 132 beta",
                         kMediaTitle = "Select By Laser Medium";
constexpr int kScreenWidth = 1280, kScreenHeight = 1024, kMainWidth = 1000, kMainHeight = 700;
constexpr int kMediaHeight = 402, kPhaseWidth = 200, kPhaseHeight = 47;
constexpr int kLeft = 1, kRight = 3, kWheelUp = 4, kWheelDown = 5;  // X's pointer buttons

// Kids in their window's coordinates.
constexpr QRect kQuitButton{5, 679, 73, 20}, kMaxZoomButton{202, 679, 73, 20},
    kMinZoomButton{277, 679, 73, 20}, kZoomAllButton{352, 679, 73, 20},
    kAutoZoomToggle{352, 657, 73, 20}, kClearButton{427, 679, 73, 20},
    kVisibleButton{502, 679, 73, 20}, kAvailableButton{577, 679, 83, 20},
    kAutoAvailToggle{577, 657, 83, 20}, kLinLogButton{662, 679, 73, 20},
    kAboutButton{925, 679, 73, 20}, kSelectByPhaseButton{5, 619, 110, 20},
    kSelectByMediumButton{425, 619, 110, 20}, kHorizontalBar{0, 601, 1000, 15},
    kVerticalBar{985, 0, 15, 500}, kAboutOkButton{300, 482, 40, 20},
    kMediaCloseButton{2, 2, 50, 18}, kMediaAllButton{56, 2, 40, 18},
    kMediaNoneButton{99, 2, 50, 18}, kPhaseCloseButton{2, 2, 50, 18},
    kPhaseAllButton{54, 2, 50, 18}, kPhaseNoneButton{106, 2, 50, 18}, kSolidButton{2, 27, 50, 18},
    kLiquidButton{54, 27, 50, 18}, kGasButton{106, 27, 50, 18};

// The medium window: 20 toggles a column, 150 pixels a column; the toggle of medium m (1-based).
constexpr int kMediaColumnWidth = 150;
constexpr QRect mediumToggle(int m) {
    return {kMediaColumnWidth * (m / 20) + 2, 20 * (m % 20) + 2, 147, 18};
}
constexpr int mediaWindowWidth(int media) {
    return (media / 20 + 1) * kMediaColumnWidth + 2;
}
constexpr QRect centred(int width, int height, int raise = 0) {
    return {kScreenWidth / 2 - width / 2, kScreenHeight / 2 - height / 2 - raise, width, height};
}

// The settings file: main, About, medium and phase window, each x, y, width, height as
// little-endian 32-bit integers; (-1, -1) stores no position.
using Placements = std::array<QRect, 4>;
constexpr QRect kNoPosition{-1, -1, 0, 0};
std::string settingsBytes(const Placements& records);
inline int mediumCountOf(const fs::path& catalogue) {
    const std::vector<std::uint8_t> bytes = readBytes(catalogue);
    return bytes.size() < 4 ? 0 : bytes[2] | bytes[3] << 8;
}

// Rows of the plot just above the colour band, where every line of a selected medium ends; the
// vertical scroll bar takes the columns from 985 on. A line is a white run of 15 pixels there.
constexpr int kPlotRight = 985;
std::vector<int> lineColumns(const QImage& screen, QPoint mainOrigin);

template <class Condition>
bool waitUntil(Condition condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

// A command run to its end, killed after the timeout: what it printed, and whether it exited 0.
struct Output {
    bool ok = false;
    QByteArray out, err;
};
Output run(const QString& program, const QStringList& arguments, int timeoutMs = 10000);

class EndToEnd : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    fs::path runFolder() const { return folder_ / "run"; }
    fs::path settingsFile() const { return runFolder() / "Quorvanta.ini"; }
    void installCatalogue(const std::vector<std::uint8_t>& bytes) {
        writeFile(runFolder() / "wavelength.dat", bytes);
        mediumCount_ = mediumCountOf(runFolder() / "wavelength.dat");
    }
    Placements centredPlacements() const {
        return {centred(kMainWidth, kMainHeight), centred(640, 504, 50),
                centred(mediaWindowWidth(mediumCount_), kMediaHeight),
                centred(kPhaseWidth, kPhaseHeight)};
    }

    // Starts the viewer (an empty value removes a variable); its main window once shown and
    // painted, 0 and a failure otherwise.
    WindowId start(const QString& program = QUORVANTA_VIEWER, const fs::path& folder = {},
                   const std::vector<std::pair<QString, QString>>& environment = {});
    std::vector<WindowId> visible(const std::string& title) const;
    WindowId waitForWindow(const std::string& title);
    bool waitUntilHidden(const std::string& title) {
        return waitUntil([&] { return visible(title).empty(); }, patience(20s));
    }
    std::vector<std::string> otherWindowTitles() const;  // not one of the viewer's four
    QRect geometryOf(WindowId window) const;
    QImage grab() const;
    // Waits long on a healthy run; once a check has failed, the rest fail fast.
    std::chrono::milliseconds patience(std::chrono::milliseconds t) const {
        return HasFailure() ? 500ms : t;
    }

    // xdotool, a failure when it fails; keys are its names ("ctrl+f", "Return"), given to the
    // window as after a click on its frame.
    void xdotool(const QStringList& arguments) const {
        const Output result = run("xdotool", arguments);
        EXPECT_TRUE(result.ok) << arguments.join(' ').toStdString() << ": " << result.err.data();
    }
    static QStringList at(QPoint p) {
        return {"mousemove", QString::number(p.x()), QString::number(p.y())};
    }
    void moveTo(QPoint p) const { xdotool(at(p)); }
    // "click", "mousedown" or "mouseup" at the point.
    void mouse(QPoint p, int button = kLeft, const QString& action = "click") const {
        xdotool(at(p) << action << QString::number(button));
    }
    // Button down, moves of at most 20 pixels, button up: one xdotool run, nothing in between.
    void drag(QPoint from, QPoint to, int button = kLeft) const {
        QStringList arguments = at(from) << "mousedown" << QString::number(button);
        const QPoint d = to - from;
        const int steps = std::max({1, std::abs(d.x()) / 20, std::abs(d.y()) / 20});
        for (int i = 1; i <= steps; ++i)
            arguments << at(from + d * i / steps);
        xdotool(arguments << "mouseup" << QString::number(button));
    }
    void clickKid(WindowId window, const QRect& kid) const {
        mouse(geometryOf(window).topLeft() + kid.topLeft() +
              QPoint(kid.width() / 2, kid.height() / 2));
    }
    // "key" with xdotool's names ("ctrl+f", "Return"), or "type" with text.
    void keys(WindowId window, const QStringList& keys, const QString& how = "key") const {
        xdotool(
            QStringList{"windowfocus", "--sync", QString::number(window), how, "--delay", "50"} +
            keys);
    }
    // What a window manager's close control sends (WM_DELETE_WINDOW); needs xcb at build time.
#ifdef QUORVANTA_E2E_HAVE_XCB
    static bool canRequestClose() {
        return true;
    }
#else
    static bool canRequestClose() {
        return false;
    }
#endif
    bool requestClose(WindowId window) const;

    bool viewerRunning() const {
        return viewer_ && viewer_->state() != QProcess::NotRunning && !viewer_->waitForFinished(0);
    }
    // The viewer ends with status 0 and leaves exactly these placements in a 64-byte file, with
    // no temporary file beside it.
    void expectEndWritingPlacements(const Placements& expected, fs::path folder = {});

    quorvanta::testing::TempDir folder_;
    std::unique_ptr<QProcess> viewer_;
    int mediumCount_ = 0;

  private:
    struct FirstFailure : ::testing::EmptyTestEventListener {
        EndToEnd* test = nullptr;
        bool taken = false;
        void OnTestPartResult(const ::testing::TestPartResult& result) override;
    } firstFailure_;
    std::string artifact_;  // build/e2e-artifacts/<suite>.<test>
    QProcess xvfb_;
    std::string display_;
};

}  // namespace quorvanta::e2e
