// The desktop launch as installed: cmake --install into a temporary prefix, a fake HOME, and the
// installed desktop entry's command run from another folder, as a desktop session runs it. The
// viewer must work in the user's data folder, with a copy of the installed catalogue there, while
// started from a terminal it keeps using the folder it starts in.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/catalogue_image.h"
#include "viewer_fixture.h"

namespace quorvanta::e2e {
namespace {

using quorvanta::testing::readBytes;
using quorvanta::testing::readText;
namespace fs = std::filesystem;

// The arguments of a desktop entry's Exec value: the string rules first (\\ is a backslash), then
// the quoting rules (inside double quotes \" \` \$ \\ stand for the character), %% is %.
std::vector<std::string> execArguments(const std::string& value) {
    std::string unescaped;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size() && value[i + 1] == '\\') ++i;
        unescaped += value[i];
    }
    std::vector<std::string> arguments;
    std::optional<std::string> current;
    bool quoted = false;
    for (std::size_t i = 0; i < unescaped.size(); ++i) {
        const char c = unescaped[i];
        if (quoted && c == '\\' && i + 1 < unescaped.size()) {
            *current += unescaped[++i];
        } else if (c == '"') {
            quoted = !quoted;
            current = current.value_or("");
        } else if (c == ' ' && !quoted) {
            if (current) arguments.push_back(*current);
            current.reset();
        } else if (c == '%' && i + 1 < unescaped.size() && unescaped[i + 1] == '%') {
            current = current.value_or("") + '%';
            ++i;
        } else {
            current = current.value_or("") + c;
        }
    }
    if (current) arguments.push_back(*current);
    return arguments;
}

class DesktopLaunch : public ViewerEndToEnd {
  protected:
    void SetUp() override {
        ViewerEndToEnd::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        // Every install rule is in the default component; naming it makes cmake write its own
        // manifest file, so that the install_manifest.txt of a real install stays as it was.
        const CommandResult install = runCommand(QUORVANTA_CMAKE,
                                                 {"--install", QUORVANTA_BUILD_DIR, "--prefix",
                                                  prefix().string(), "--component", "Unspecified"},
                                                 {}, 60s);
        ASSERT_TRUE(install.succeeded()) << install.ending.describe() << "\n" << install.err;
    }

    fs::path prefix() const { return folder_ / "prefix with blank"; }
    fs::path home() const { return folder_ / "home"; }
    fs::path startFolder() const { return folder_ / "start"; }
    fs::path installedCatalogue() const { return prefix() / "share/quorvanta/wavelength.dat"; }

    // The installed desktop entry's command; a failure and nothing when it has none.
    std::vector<std::string> desktopCommand() {
        const std::string entry = readText(prefix() / "share/applications/quorvanta.desktop");
        const std::size_t exec = entry.find("\nExec=");
        if (exec == std::string::npos) {
            ADD_FAILURE() << "no Exec key in the installed desktop entry:\n" << entry;
            return {};
        }
        const std::size_t start = exec + 6;
        return execArguments(entry.substr(start, entry.find('\n', start) - start));
    }

    // Starts the command in the start folder with the fake HOME, quits the viewer with its
    // button, and checks the exit status.
    void launchAndQuit(const std::vector<std::string>& command, const EnvironmentChanges& extra) {
        ASSERT_FALSE(command.empty());
        EnvironmentChanges environment = extra;
        environment["HOME"] = home().string();
        const WindowId main = startViewerWith(command.front(), {command.begin() + 1, command.end()},
                                              startFolder(), environment);
        ASSERT_NE(main, 0u);
        clickKid(main, kQuitButton);
        expectExitedWithZero(waitForViewerEnd());
        viewer_.reset();
    }

    // The settings file in folder holds the placements of a first run with mediumCount_ media.
    void expectSettingsIn(const fs::path& folder) {
        const fs::path settings = folder / "Quorvanta.ini";
        ASSERT_TRUE(fs::exists(settings)) << "no " << settings;
        const std::vector<std::uint8_t> bytes = readBytes(settings);
        ASSERT_EQ(bytes.size(), kSettingsSize);
        expectPlacements(placementsIn(bytes), expectedCentredPlacements());
    }

    void startAfresh() {
        for (const fs::path& folder : {home(), startFolder(), folder_ / "my data"})
            fs::remove_all(folder);
        fs::create_directories(home());
        fs::create_directories(startFolder());
    }
};

struct LaunchCase {
    const char* name;
    bool desktopEntry;           // false: the installed viewer itself, as from a terminal
    const char* xdgDataHome;     // "" unset; a relative value is taken within the test folder
    const char* expectedFolder;  // within the test folder; "start" is where it was started
};

const LaunchCase kLaunches[] = {
    {"desktop entry, XDG_DATA_HOME unset", true, "", "home/.local/share/quorvanta"},
    {"desktop entry, XDG_DATA_HOME a missing folder", true, "my data", "my data/quorvanta"},
    {"desktop entry, a relative XDG_DATA_HOME is ignored", true, "=relative",
     "home/.local/share/quorvanta"},
    {"terminal: the folder it starts in", false, "", "start"},
};

TEST_F(DesktopLaunch, DesktopEntryRunsInTheDataFolderAndTheTerminalInItsOwn) {
    const std::vector<std::string> desktop = desktopCommand();
    ASSERT_EQ(desktop.size(), 1u) << "the Exec command, one absolute path";
    EXPECT_EQ(fs::path(desktop.front()), prefix() / "bin/quorvanta-desktop");
    const std::vector<std::uint8_t> installed = readBytes(installedCatalogue());
    ASSERT_FALSE(installed.empty()) << "no catalogue installed at " << installedCatalogue();

    for (const LaunchCase& c : kLaunches) {
        SCOPED_TRACE(c.name);
        startAfresh();
        EnvironmentChanges environment;
        const std::string xdg = c.xdgDataHome;
        if (xdg.starts_with('=')) {
            environment["XDG_DATA_HOME"] = xdg.substr(1);
        } else {
            environment["XDG_DATA_HOME"] = xdg.empty() ? "" : (folder_ / xdg).string();
        }
        const std::vector<std::string> command =
            c.desktopEntry ? desktop : std::vector<std::string>{(prefix() / "bin/quorvanta")};
        launchAndQuit(command, environment);

        const fs::path expected = folder_ / c.expectedFolder;
        expectSettingsIn(expected);
        EXPECT_FALSE(fs::exists(home() / "Quorvanta.ini")) << "written into HOME";
        if (c.desktopEntry) {
            EXPECT_EQ(readBytes(expected / "wavelength.dat"), installed)
                << "the data folder has no copy of the installed catalogue";
            EXPECT_TRUE(fs::is_empty(startFolder())) << "files left where it was started";
        } else {
            EXPECT_FALSE(fs::exists(home() / ".local/share/quorvanta"))
                << "the terminal start made a data folder";
        }
    }
}

// From the second start on, the catalogue in the data folder is the user's: the launcher leaves a
// replaced one alone, and the viewer shows it.
TEST_F(DesktopLaunch, ACatalogueReplacedInTheDataFolderIsKeptAndShown) {
    const std::vector<std::string> desktop = desktopCommand();
    startAfresh();
    launchAndQuit(desktop, {{"XDG_DATA_HOME", ""}});
    const fs::path data = home() / ".local/share/quorvanta";

    testing::CatalogueImage own;
    for (int m = 1; m <= 45; ++m)
        own.medium("Own medium " + std::to_string(m), "gas").line("Own medium 1", 500.0 + m);
    const std::vector<std::uint8_t> ownBytes = own.bytes();
    testing::writeFile(data / "wavelength.dat", ownBytes);
    fs::remove(data / "Quorvanta.ini");
    mediumCount_ = 45;

    launchAndQuit(desktop, {{"XDG_DATA_HOME", ""}});
    EXPECT_EQ(readBytes(data / "wavelength.dat"), ownBytes) << "the launcher replaced it";
    // The medium selection window is sized for the catalogue it showed.
    expectSettingsIn(data);
}

}  // namespace
}  // namespace quorvanta::e2e
