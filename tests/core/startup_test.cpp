// Start-up and the message loop, in-process with the real windows.

#include <QWidget>

#include "common/program_fixture.h"
#include "core/picture.h"

namespace quorvanta::testing {
namespace {

class StartUp : public ProgramFixture {};

TEST_F(StartUp, ASecondEntryChangesNothing) {
    CatalogueImage catalogue;
    catalogue.medium("HeNe", "gas").line("HeNe", 632.8);
    start(catalogue);
    const std::int32_t main = program.mainWindow;
    program.view.viewCentre = 1234;
    EXPECT_FALSE(startUp());
    Entry();  // returns at once
    EXPECT_EQ(program.mainWindow, main);
    EXPECT_DOUBLE_EQ(program.view.viewCentre, 1234);
}

std::vector<std::uint32_t> pixelsSeen;
std::int32_t recordHeaderPixel(std::int32_t&, std::int32_t&, std::int32_t&, std::int32_t&,
                               std::int32_t&, std::int32_t&, std::int32_t&, std::int32_t&) {
    std::int32_t r = 0, g = 0, b = 0, colour = 0;
    XgrGrabPoint(program.mainWindow, 500, 599, r, g, b, colour);
    pixelsSeen.push_back(XgrColourRGB(colour));
    return 0;
}

TEST_F(StartUp, TheLoopDrawsOnceByItselfBeforeTheThirdMessage) {
    XgrResetToolkit();
    clearProgramState();
    std::filesystem::current_path(dir_.path());
    ASSERT_TRUE(startUp());
    program.quitOperation = recordQuit;
    // Start-up itself queued the messages that carry the loop to its first drawing.
    EXPECT_GE(XgrQueuedMessageCount(), 3);
    pixelsSeen.clear();
    XgrSetCEO(recordHeaderPixel);
    // Row 599 is the lower scale strip: light grey until the spectrum is first drawn, then black.
    for (int pass = 0; pass < 3; ++pass)
        messageLoopPass();
    ASSERT_EQ(pixelsSeen.size(), 3u);
    EXPECT_EQ(pixelsSeen[0], 0xBFBFBFu) << "first message: not drawn yet";
    EXPECT_EQ(pixelsSeen[1], 0xBFBFBFu) << "second message: not drawn yet";
    EXPECT_EQ(pixelsSeen[2], 0x000000u) << "third message: drawn";
    for (int i = 0; i < 10; ++i)
        XgrQueueMessage(program.mainWindow, msg.Redrawn, 0, 0, 0, 0, 0, 0);
    for (int pass = 0; pass < 10; ++pass)
        messageLoopPass();
    EXPECT_EQ(program.passCount, 5) << "the pass counter stops at 5";
}

TEST_F(StartUp, StartValuesAndWindowsComeFromTheWorkingFolder) {
    std::vector<std::uint8_t> settings;
    for (std::int32_t v : {-1, 40, 1000, 700, 10, 20, 640, 504, -1, -1, 0, 0, 30, 40, 200, 47})
        for (int shift = 0; shift < 32; shift += 8)
            settings.push_back(
                static_cast<std::uint8_t>((static_cast<std::uint32_t>(v) >> shift) & 0xFF));
    start(std::nullopt, settings);
    EXPECT_EQ(program.programDirectory, std::filesystem::current_path().string());
    auto* main = widgetOf(program.mainWindow)->window();
    EXPECT_EQ(main->x(), -1) << "(-1, 40) is a position, not centring";
    EXPECT_EQ(main->y(), 40);
    auto* media = widgetOf(program.mediaWindow)->window();
    EXPECT_EQ(media->x(), program.displayWidth / 2 - media->width() / 2);
    EXPECT_EQ(program.view.viewCentre, 575);
    EXPECT_EQ(program.view.viewWidth, 450);
    EXPECT_EQ(program.view.scale, Logarithmic);
    EXPECT_DOUBLE_EQ(program.view.maxWidth, 19990);
}

TEST_F(StartUp, AnEmptyFolderShowsTheBuiltInCatalogue) {
    ::testing::internal::CaptureStderr();
    start(std::nullopt);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_GT(program.database.mediumCount, 50);
    EXPECT_GT(program.database.transitionCount, 300);
    EXPECT_NE(said.find("built-in catalogue"), std::string::npos) << said;
    EXPECT_TRUE(program.databaseWarning.empty()) << "a missing file is no damage";
    EXPECT_GT(program.database.maxWavelength, 20000) << "the catalogue keeps far-infrared lines";
}

TEST_F(StartUp, ADamagedDatabaseIsReportedAndWhatIsWholeIsShown) {
    CatalogueImage catalogue;
    catalogue.medium("HeNe", "gas").line("HeNe", 632.8).line("HeNe", 1152.3);
    std::vector<std::uint8_t> bytes = catalogue.bytes();
    bytes.resize(bytes.size() - 10);
    writeFile(dir_ / "wavelength.dat", bytes);
    ::testing::internal::CaptureStderr();
    start(std::nullopt);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(program.database.mediumCount, 1);
    EXPECT_EQ(program.database.transitionCount, 1);
    EXPECT_FALSE(program.databaseWarning.empty());
    EXPECT_NE(said.find("wavelength.dat"), std::string::npos) << said;
}

// A catalogue that is there but cannot be read is said in the warning window too: an empty
// viewer with no word of why would look like a broken program.
TEST_F(StartUp, AnUnreadableDatabaseIsReportedToTheUser) {
    std::filesystem::create_directory(dir_ / "wavelength.dat");
    ::testing::internal::CaptureStderr();
    start(std::nullopt);
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(program.database.mediumCount, 0);
    EXPECT_NE(program.databaseWarning.find("wavelength.dat: cannot be read"), std::string::npos)
        << program.databaseWarning;
}

TEST(ProgramPicture, IsAWhole8BitBmpWithTheDeclaredHeader) {
    const std::vector<std::uint8_t> file = programPictureFile();
    ASSERT_EQ(file.size(), 308278u);
    auto u32 = [&](std::size_t at) {
        return std::uint32_t{file[at]} | std::uint32_t{file[at + 1]} << 8 |
               std::uint32_t{file[at + 2]} << 16 | std::uint32_t{file[at + 3]} << 24;
    };
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(u32(2), 308278u);
    EXPECT_EQ(u32(10), 1078u);
    EXPECT_EQ(u32(14), 40u);
    EXPECT_EQ(u32(18), 640u);
    EXPECT_EQ(u32(22), 480u);
    EXPECT_EQ(file[28], 8);
    EXPECT_EQ(u32(34), 307200u);
    EXPECT_EQ(u32(38), 2851u);
    EXPECT_EQ(u32(46), 256u);
    EXPECT_EQ(file[54], 4) << "colour 0: blue 4, green 3, red 2";
    EXPECT_EQ(file[55], 3);
    EXPECT_EQ(file[56], 2);
}

TEST_F(StartUp, ThePictureIsLoadedAndDarkWhereTextGoesOverIt) {
    CatalogueImage catalogue;
    start(catalogue);
    ASSERT_NE(program.programImage, 0);
    long long brightLines = 0, textBand = 0;
    for (int y = 0; y < 480; y += 2)
        for (int x = 0; x < 640; x += 2) {
            std::int32_t r = 0, g = 0, b = 0, colour = 0;
            XgrGrabPoint(program.programImage, x, y, r, g, b, colour);
            const int luminance = (r + g + b) / 3 / 257;
            if (y >= 185 && y < 300) textBand = std::max<long long>(textBand, luminance);
            if (luminance > 100) ++brightLines;
        }
    EXPECT_GT(brightLines, 100) << "the picture shows something";
    EXPECT_LT(textBand, 40) << "white text stays legible over the picture";
    EXPECT_FALSE(std::filesystem::exists(dir_ / "s")) << "no scratch file";
}

}  // namespace
}  // namespace quorvanta::testing
