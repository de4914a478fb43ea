// The build installed in a temporary prefix, with a fake HOME: its desktop entry's command works in
// the data folder, with a copy of the installed catalogue; from a terminal, in the folder it is in.
#include <QRegularExpression>

#include "common/catalogue_image.h"
#include "harness.h"

namespace quorvanta::e2e {
namespace {

class DesktopLaunch : public EndToEnd {
  protected:
    static QString path(const fs::path& p) { return QString::fromStdString(p.string()); }
    fs::path prefix() const { return folder_ / "prefix with blank"; }
    fs::path home() const { return folder_ / "home"; }

    // Runs the command in the start folder with the fake HOME: a first run's settings there.
    void launchAndQuit(const fs::path& program, const QString& xdgDataHome,
                       const fs::path& expectedFolder) {
        const WindowId main = start(path(program), runFolder(),
                                    {{"HOME", path(home())}, {"XDG_DATA_HOME", xdgDataHome}});
        ASSERT_NE(main, 0u);
        clickKid(main, kQuitButton);
        expectEndWritingPlacements(centredPlacements(), expectedFolder);
    }

    void startAfresh() {
        for (const fs::path& folder : {home(), runFolder(), folder_ / "my data"})
            fs::remove_all(folder);
        fs::create_directories(home());
        fs::create_directories(runFolder());
    }

    fs::path launcher_;
};

TEST_F(DesktopLaunch, DesktopEntryRunsInTheDataFolderAndTheTerminalInItsOwn) {
    // Naming the default component keeps a real install's install_manifest.txt as it was.
    const Output install = run(QUORVANTA_CMAKE,
                               {"--install", QUORVANTA_BUILD_DIR, "--prefix", path(prefix()),
                                "--component", "Unspecified"},
                               60000);
    ASSERT_TRUE(install.ok) << install.err.toStdString();
    // The prefix holds a blank and nothing else reserved: plain double quotes around it.
    const QString entry =
        QString::fromStdString(readText(prefix() / "share/applications/quorvanta.desktop"));
    const QStringList command =
        QProcess::splitCommand(QRegularExpression("\nExec=([^\n]*)").match(entry).captured(1));
    ASSERT_EQ(command.size(), 1) << "not one absolute path in Exec:\n" << entry.toStdString();
    launcher_ = command[0].toStdString();
    EXPECT_EQ(launcher_, prefix() / "bin/quorvanta-desktop");
    const std::vector<std::uint8_t> installed =
        readBytes(prefix() / "share/quorvanta/wavelength.dat");
    ASSERT_FALSE(installed.empty()) << "no catalogue installed";
    // (the desktop entry or a terminal start, XDG_DATA_HOME or "" unset, the folder it works in)
    const fs::path data = home() / ".local/share/quorvanta";
    const std::tuple<bool, QString, fs::path> launches[] = {
        {false, "", runFolder()},
        {true, path(folder_ / "my data"), folder_ / "my data/quorvanta"},  // a missing folder
        {true, "relative", data},                                          // ignored
        {true, "", data}};
    for (const auto& [desktopEntry, xdgDataHome, expected] : launches) {
        SCOPED_TRACE((desktopEntry ? "desktop entry, XDG_DATA_HOME " : "terminal, XDG_DATA_HOME ") +
                     xdgDataHome.toStdString());
        startAfresh();
        launchAndQuit(desktopEntry ? launcher_ : prefix() / "bin/quorvanta", xdgDataHome, expected);
        EXPECT_FALSE(fs::exists(home() / "Quorvanta.ini")) << "written into HOME";
        EXPECT_EQ(fs::exists(data), desktopEntry && expected == data) << "the data folder";
        if (desktopEntry) {
            EXPECT_EQ(readBytes(expected / "wavelength.dat"), installed)
                << "the data folder has no copy of the installed catalogue";
            EXPECT_TRUE(fs::is_empty(runFolder())) << "files left where it was started";
        }
    }

    // Then the catalogue there is the user's: kept, shown, its medium window sized for it.
    quorvanta::testing::CatalogueImage own;
    for (int m = 1; m <= 45; ++m)
        own.medium("Own medium " + std::to_string(m), "gas").line("Own medium 1", 500.0 + m);
    writeFile(data / "wavelength.dat", own.bytes());
    fs::remove(data / "Quorvanta.ini");
    mediumCount_ = 45;
    launchAndQuit(launcher_, "", data);
    EXPECT_EQ(readBytes(data / "wavelength.dat"), own.bytes()) << "the launcher replaced it";
}

}  // namespace
}  // namespace quorvanta::e2e
