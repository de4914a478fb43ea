// The settings file on disk, start-up with the files of the working folder, the message loop's
// first passes and the start-up picture.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/program_fixture.h"
#include "core/picture.h"
#include "core/settings.h"

namespace quorvanta::testing {
namespace {

std::vector<std::uint8_t> words(std::vector<std::int32_t> values) {
    std::vector<std::uint8_t> bytes;
    for (std::int32_t v : values)
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> shift));
    return bytes;
}

std::size_t entries(const std::filesystem::path& folder) {
    return std::size_t(std::distance(std::filesystem::directory_iterator(folder), {}));
}

TEST(SettingsFile, ReadsTheXAndYOfWholeRecordsOnly) {
    TempDir dir;
    const auto full =
        words({140, 162, 1000, 700, 320, 210, 640, 504, -1, 5, 152, 402, 7, -300, 200, 47});
    const std::vector<std::int32_t> none(8, -1), all{140, 162, 320, 210, -1, 5, 7, -300};
    struct Row {
        const char* name;
        int length;  // bytes of full, more with a tail of 0xAB; -1 none, -2 a pipe, -3 a folder
        std::vector<std::int32_t> expected;
    };
    const Row rows[] = {{"missing", -1, none},
                        {"empty", 0, none},
                        {"a byte short of the first record", 15, none},
                        {"the first record", 16, {140, 162, -1, -1, -1, -1, -1, -1}},
                        {"two records and a bit", 36, {140, 162, 320, 210, -1, -1, -1, -1}},
                        {"a byte short of the last", 63, {140, 162, 320, 210, -1, 5, -1, -1}},
                        {"all four", 64, all},
                        {"longer", 74, all},
                        {"a pipe holding a whole file", -2, none},
                        {"a folder", -3, none}};
    for (const Row& row : rows) {
        const auto path = dir / (std::string(row.name) + ".ini");
        auto bytes = full;
        bytes.resize(std::size_t(std::max(row.length, 0)), 0xAB);
        if (row.length >= 0) writeFile(path, bytes);
        const int pipe = row.length == -2 && ::mkfifo(path.c_str(), 0600) == 0
                             ? ::open(path.c_str(), O_RDWR | O_NONBLOCK)
                             : -1;
        if (pipe >= 0) {
            EXPECT_EQ(::write(pipe, full.data(), full.size()), 64);
        }
        if (row.length == -3) std::filesystem::create_directory(path);
        std::vector<std::int32_t> got;
        for (const StoredPosition& p : readSettingsFile(path.string()))
            got.insert(got.end(), {p.x, p.y});
        EXPECT_EQ(got, row.expected) << row.name;
        if (pipe >= 0) ::close(pipe);
    }
}

// The file is replaced by a new one, never written through a link: one pointing at the catalogue
// must not cost the user the catalogue.
TEST(SettingsFile, IsReplacedWholeByFourLittleEndianRecords) {
    TempDir dir;
    const auto path = dir / "Quorvanta.ini";
    const std::array<WindowPlacement, 4> placements = {{{INT32_MIN, INT32_MAX, 1000, 700},
                                                        {-1, -1, 640, 504},
                                                        {-5, 70000, 152, 402},
                                                        {0, 0, 200, 47}}};
    const auto expected = words(
        {INT32_MIN, INT32_MAX, 1000, 700, -1, -1, 640, 504, -5, 70000, 152, 402, 0, 0, 200, 47});
    std::string error;
    writeFile(path, std::string(100, 'x'));
    ASSERT_TRUE(writeSettingsFile(path.string(), placements, error)) << error;
    EXPECT_EQ(readBytes(path), expected);
    EXPECT_EQ(entries(dir.path()), 1u) << "a temporary left behind";
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::others_read,
              std::filesystem::perms::others_read)
        << "an ordinary file, not a private temporary";

    std::filesystem::remove(path);
    writeFile(dir / "wavelength.dat", words({9, 9, 9}));
    std::filesystem::create_symlink("wavelength.dat", path);
    std::filesystem::create_symlink("wavelength.dat", dir / "Quorvanta.ini.new");
    ASSERT_TRUE(writeSettingsFile(path.string(), placements, error)) << error;
    EXPECT_EQ(readBytes(dir / "wavelength.dat"), words({9, 9, 9}));
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(path)));
    EXPECT_EQ(readBytes(path), expected);

    // Failures that stop root too: a folder where the file goes, and no folder at all.
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    const std::size_t before = entries(dir.path());
    EXPECT_FALSE(writeSettingsFile(path.string(), {}, error));
    EXPECT_NE(error.find("cannot replace " + path.string()), std::string::npos) << error;
    EXPECT_EQ(entries(dir.path()), before) << "a temporary left behind";
    EXPECT_FALSE(writeSettingsFile((dir / "none" / "Quorvanta.ini").string(), {}, error));
    EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
}

class StartUp : public ProgramFixture {};

// Row 599, the lower scale strip, is light grey until the spectrum is first drawn, then black.
std::vector<std::uint32_t> stripSeen;
std::int32_t seeStrip(std::int32_t&, std::int32_t&, std::int32_t&, std::int32_t&, std::int32_t&,
                      std::int32_t&, std::int32_t&, std::int32_t&) {
    stripSeen.push_back(ProgramFixture::mainPixel(500, 599));
    return 0;
}

TEST_F(StartUp, TheLoopDrawsOnceByItselfAtItsThirdMessageAndASecondEntryChangesNothing) {
    XgrResetToolkit();
    clearProgramState();
    std::filesystem::current_path(dir_.path());
    ASSERT_TRUE(startUp());
    EXPECT_GE(XgrQueuedMessageCount(), 3) << "start-up queues what carries the loop on";
    stripSeen.clear();
    XgrSetCEO(seeStrip);
    for (int pass = 0; pass < 3; ++pass)
        messageLoopPass();
    EXPECT_EQ(stripSeen, (std::vector<std::uint32_t>{0xBFBFBF, 0xBFBFBF, 0}));
    const std::int32_t main = program.mainWindow;
    program.view.viewCentre = 1234;
    EXPECT_FALSE(startUp());
    Entry();  // returns at once
    EXPECT_EQ(program.mainWindow, main);
    EXPECT_EQ(program.view.viewCentre, 1234);
}

// The windows go where the settings file says, and are saved back in the same order.
TEST_F(StartUp, StartValuesAndWindowPlacesComeFromTheWorkingFolder) {
    start(std::nullopt,
          words({-1, 40, 1000, 700, 10, 20, 640, 504, -1, -1, 0, 0, 30, 40, 200, 47}));
    EXPECT_EQ(program.programDirectory, std::filesystem::current_path().string());
    EXPECT_EQ(grid()->window()->pos(), QPoint(-1, 40)) << "(-1, 40) is a place, not centring";
    QWidget* media = widgetOf(program.mediaWindow)->window();
    EXPECT_EQ(media->x(), program.displayWidth / 2 - media->width() / 2);
    EXPECT_EQ(std::tuple(program.view.viewCentre, program.view.viewWidth, program.view.scale),
              std::tuple(575.0, 450.0, Logarithmic))
        << "350..800 nm, logarithmic";
    saveSettings();
    const auto saved = readSettingsFile((dir_ / "Quorvanta.ini").string());
    EXPECT_EQ(std::tuple(saved[0].x, saved[0].y, saved[1].x, saved[1].y),
              std::tuple(-1, 40, 10, 20))
        << "the main window's record first, then the About window's";
}

TEST_F(StartUp, TheCatalogueIsBuiltInWhenMissingAndADamagedOrUnreadableOneIsReported) {
    CatalogueImage catalogue;
    catalogue.medium("HeNe", "gas").line("HeNe", 632.8).line("HeNe", 1152.3);
    std::vector<std::uint8_t> cut = catalogue.bytes();
    cut.resize(cut.size() - 10);
    enum { None, Cut, Folder };
    struct Row {
        int file, media, lines;      // media -1: the built-in catalogue
        const char *said, *warning;  // on standard error, in the warning window ("": none)
    };
    for (const Row& row : {Row{None, -1, -1, "built-in catalogue", ""},
                           Row{Cut, 1, 1, "wavelength.dat", "wavelength.dat"},
                           Row{Folder, 0, 0, "", "wavelength.dat: cannot be read"}}) {
        if (row.file == Cut) writeFile(dir_ / "wavelength.dat", cut);
        if (row.file == Folder) std::filesystem::create_directory(dir_ / "wavelength.dat");
        ::testing::internal::CaptureStderr();
        start(std::nullopt);
        const std::string said = ::testing::internal::GetCapturedStderr();
        std::filesystem::remove_all(dir_ / "wavelength.dat");
        if (row.media < 0) {
            EXPECT_GT(program.database.mediumCount, 50);
            EXPECT_GT(program.database.transitionCount, 300);
            EXPECT_GT(program.database.maxWavelength, 20000) << "far-infrared lines are kept";
        } else {
            EXPECT_EQ(program.database.mediumCount, row.media) << row.warning;
            EXPECT_EQ(program.database.transitionCount, row.lines) << row.warning;
        }
        EXPECT_NE(said.find(row.said), std::string::npos) << said;
        EXPECT_EQ(program.databaseWarning.empty(), !*row.warning) << row.said;
        EXPECT_NE(program.databaseWarning.find(row.warning), std::string::npos) << row.warning;
    }
}

TEST_F(StartUp, ThePictureIsA640By480Bmp8BitShownAtStartUp) {
    const std::vector<std::uint8_t> file = programPictureFile();
    ASSERT_EQ(file.size(), 308278u);
    auto u32 = [&](std::size_t at) {
        return std::uint32_t{file[at]} | std::uint32_t{file[at + 1]} << 8 |
               std::uint32_t{file[at + 2]} << 16 | std::uint32_t{file[at + 3]} << 24;
    };
    EXPECT_EQ(file[0] + 256 * file[1], 'B' + 256 * 'M');
    const std::pair<std::size_t, std::uint32_t> fields[] = {{2, 308278}, {10, 1078}, {14, 40},
                                                            {18, 640},   {22, 480},  {34, 307200},
                                                            {38, 2851},  {46, 256}};
    for (const auto& [at, value] : fields)
        EXPECT_EQ(u32(at), value) << "header word at byte " << at;
    EXPECT_EQ(file[28], 8) << "bits per pixel";
    EXPECT_EQ(u32(54) & 0xFFFFFF, 0x020304u) << "colour 0: blue 4, green 3, red 2";

    start(CatalogueImage{});
    ASSERT_NE(program.programImage, 0);
    for (const QPoint at : {QPoint(52, 160), QPoint(300, 100), QPoint(596, 150)})
        EXPECT_EQ(mainPixel(180 + at.x(), at.y()), pixel(program.programImage, at.x(), at.y()))
            << "the main window shows the picture after start-up, at " << at.x() << "," << at.y();
}

}  // namespace
}  // namespace quorvanta::testing
