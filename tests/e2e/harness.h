// A private Xvfb whose frame buffer file is the screen, the real quorvanta binary started on it in
// a temporary folder, xdotool to find and drive its windows, and the settings file it leaves.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QtEndian>
#include <thread>

#include "common/temp_dir.h"
#ifdef QUORVANTA_E2E_HAVE_XCB
#include <xcb/xcb.h>
#endif

inline void PrintTo(const QRect& r, std::ostream* out) {
    *out << "(" << r.x() << "," << r.y() << " " << r.width() << "x" << r.height() << ")";
}

namespace quorvanta::e2e {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using WindowId = unsigned long;
using quorvanta::testing::readBytes;
using quorvanta::testing::readText;
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
    kMediaNoneButton{99, 2, 50, 18},
    kPhaseCloseButton = kMediaCloseButton, kPhaseAllButton{54, 2, 50, 18},
    kPhaseNoneButton{106, 2, 50, 18}, kSolidButton{2, 27, 50, 18}, kLiquidButton{54, 27, 50, 18},
    kGasButton{106, 27, 50, 18};

// The medium window: 20 toggles of 150 pixels a column; the toggle of medium m (1-based).
constexpr int kMediaColumnWidth = 150;
constexpr QRect mediumToggle(int m) {
    return {kMediaColumnWidth * (m / 20) + 2, 20 * (m % 20) + 2, 147, 18};
}
constexpr auto mediaWindowWidth = [](int media) {
    return (media / 20 + 1) * kMediaColumnWidth + 2;
};
constexpr QRect centred(int width, int height, int raise = 0) {
    return {kScreenWidth / 2 - width / 2, kScreenHeight / 2 - height / 2 - raise, width, height};
}

// The settings file: main, About, medium, phase window, each x, y, width, height; (-1, -1): none.
using Placements = std::array<QRect, 4>;
constexpr QRect kNoPosition{-1, -1, 0, 0};
inline std::string settingsBytes(const Placements& records) {
    std::string bytes;
    for (const QRect& r : records)
        for (const qint32 v : {qToLittleEndian(r.x()), qToLittleEndian(r.y()),
                               qToLittleEndian(r.width()), qToLittleEndian(r.height())})
            bytes.append(reinterpret_cast<const char*>(&v), 4);
    return bytes;
}

template <class Condition>
bool waitUntil(Condition condition, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (; !condition(); std::this_thread::sleep_for(20ms))
        if (std::chrono::steady_clock::now() >= end) return false;
    return true;
}

// A child gets SIGTERM when the test dies: a test killed on its timeout leaves nothing behind.
inline void launchChild(QProcess& process, const QString& program, const QStringList& arguments) {
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    process.start(program, arguments);
}
inline void stop(QProcess& process) {
    process.terminate();
    if (!process.waitForFinished(2000)) process.kill(), process.waitForFinished();
}

// A command run to its end, killed after the timeout: what it printed, and whether it exited 0.
struct Output {
    bool ok = false;
    QByteArray out, err;
};
inline Output run(const QString& program, const QStringList& arguments, int timeoutMs = 10000) {
    QProcess process;
    launchChild(process, program, arguments);
    const bool ended = process.waitForFinished(timeoutMs);
    if (!ended) stop(process);
    return {ended && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

class EndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* tool : {"Xvfb", "xdotool"})
            if (QStandardPaths::findExecutable(tool).isEmpty())
                GTEST_SKIP() << tool << " is not installed (Debian packages xvfb and xdotool)";
        static int argc = 1;
        static char name[] = "e2e", *argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
        fs::create_directories(runFolder());
        fs::create_directories(folder_ / "runtime");
        fs::permissions(folder_ / "runtime", fs::perms::owner_all);
        // A free display named once it accepts clients, never reset, its screen in a file.
        xvfb_.setStandardErrorFile(QString::fromStdString((folder_ / "xvfb.log").string()));
        launchChild(xvfb_, "Xvfb",
                    {"-displayfd", "1", "-nolisten", "tcp", "-noreset", "-screen", "0",
                     "1280x1024x24", "-fbdir", QString::fromStdString(folder_.path().string())});
        QByteArray number;
        while (!number.endsWith('\n') && xvfb_.waitForReadyRead(20000))
            number += xvfb_.readAllStandardOutput();
        ASSERT_TRUE(number.endsWith('\n')) << "no Xvfb: " << readText(folder_ / "xvfb.log");
        display_ = ":" + number.trimmed().toStdString();
        ::setenv("DISPLAY", display_.c_str(), 1);
        mediumCount_ = mediaIn(readBytes(QUORVANTA_CATALOGUE));
    }
    static int mediaIn(const std::vector<std::uint8_t>& b) { return b.at(2) | b.at(3) << 8; }
    void TearDown() override {
        std::error_code ignored;
        if (HasFailure())
            patience(0ms), fs::copy_file(folder_ / "viewer.log", artifact(".log"),
                                         fs::copy_options::overwrite_existing, ignored);
        if (viewer_) stop(*viewer_);
        stop(xvfb_);
    }

    fs::path runFolder() const { return folder_ / "run"; }
    fs::path settingsFile() const { return runFolder() / "Quorvanta.ini"; }
    void installCatalogue(const std::vector<std::uint8_t>& bytes) {
        writeFile(runFolder() / "wavelength.dat", bytes);
        mediumCount_ = mediaIn(bytes);
    }
    Placements centredPlacements() const {
        return {centred(kMainWidth, kMainHeight), centred(640, 504, 50),
                centred(mediaWindowWidth(mediumCount_), kMediaHeight),
                centred(kPhaseWidth, kPhaseHeight)};
    }

    // Starts the viewer with Qt's own platform, scale and dialogs ("" removes a variable): its main
    // window once painted, and its origin; 0 and a failure if none.
    WindowId start(const QString& program = QUORVANTA_VIEWER, const fs::path& folder = {},
                   const std::vector<std::pair<QString, QString>>& environment = {}) {
        if (viewer_) stop(*viewer_);
        viewer_ = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("QT_SCALE_FACTOR", "1");
        env.insert("XDG_RUNTIME_DIR", QString::fromStdString((folder_ / "runtime").string()));
        for (const char* name : {"QT_SCREEN_SCALE_FACTORS", "QT_ENABLE_HIGHDPI_SCALING",
                                 "QT_QPA_PLATFORMTHEME", "XDG_CURRENT_DESKTOP"})
            env.remove(name);
        for (const auto& [name, value] : environment)
            value.isEmpty() ? env.remove(name) : env.insert(name, value);
        viewer_->setProcessEnvironment(env);
        viewer_->setWorkingDirectory(
            QString::fromStdString((folder.empty() ? runFolder() : folder).string()));
        viewer_->setProcessChannelMode(QProcess::MergedChannels);
        viewer_->setStandardOutputFile(QString::fromStdString((folder_ / "viewer.log").string()));
        launchChild(*viewer_, program, {});
        origin_ = geometryOf(main_ = waitForWindow(kMainTitle)).topLeft();
        const QPoint panel = origin_ + QPoint(992, 640);  // no kid covers it
        if (main_ != 0 && !waitUntil([&] { return grab().pixel(panel) != qRgb(0, 0, 0); }, 20s))
            ADD_FAILURE() << "the main window never painted its panel";
        return main_;
    }
    bool viewerRunning() const {
        return viewer_ && viewer_->state() != QProcess::NotRunning && !viewer_->waitForFinished(0);
    }

    // The shown windows of that title (a regular expression), the titles of all but the viewer's.
    std::vector<WindowId> visible(const std::string& title) const {
        std::vector<WindowId> ids;
        for (const QByteArray& id : run("xdotool", {"search", "--onlyvisible", "--name",
                                                    QString::fromStdString("^" + title + "$")})
                                        .out.split('\n'))
            if (!id.isEmpty()) ids.push_back(id.toULong());
        return ids;
    }
    std::string otherWindowTitles() const {
        QByteArray titles =
            run("xdotool", {"search", "--onlyvisible", "--name", ".", "getwindowname", "%@"}).out;
        for (const std::string& own : {kMainTitle, kAboutTitle, kMediaTitle, kPhaseTitle})
            titles.replace(own + "\n", "");
        return titles.toStdString();
    }
    WindowId waitForWindow(const std::string& title) {
        std::vector<WindowId> found;
        waitUntil([&] { return !(found = visible(title)).empty() || !viewerRunning(); },
                  patience(20s));
        if (found.size() != 1 || !viewerRunning())
            ADD_FAILURE() << found.size() << " windows \"" << title << "\", the viewer "
                          << (viewerRunning() ? "runs" : "ended") << "; its output:\n"
                          << readText(folder_ / "viewer.log");
        return found.size() == 1 && viewerRunning() ? found[0] : 0;
    }
    bool waitUntilHidden(const std::string& title) {
        return waitUntil([&] { return visible(title).empty(); }, patience(20s));
    }
    QRect geometryOf(WindowId window) const {  // lines WINDOW=, X=, Y=, WIDTH=, HEIGHT=
        QList<int> v;
        for (const QByteArray& line :
             run("xdotool", {"getwindowgeometry", "--shell", QString::number(window)})
                 .out.split('\n'))
            v << line.mid(line.indexOf('=') + 1).toInt();
        return v.size() < 5 ? QRect() : QRect(v[1], v[2], v[3], v[4]);
    }
    // Xvfb's XWD file: big-endian header fields, colour map, then pixels as Format_RGB32 has them.
    QImage grab() const {
        QFile file(QString::fromStdString((folder_ / "Xvfb_screen0").string()));
        const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        auto field = [&](int i) { return int(qFromBigEndian<quint32>(bytes.data() + 4 * i)); };
        const bool ok = bytes.size() >= 100 && field(7) == 0 && field(11) == 32;
        EXPECT_TRUE(ok) << "no frame buffer of 32-bit pixels";
        if (!ok) return QImage(kScreenWidth, kScreenHeight, QImage::Format_RGB32);
        const uchar* pixels = reinterpret_cast<const uchar*>(bytes.data()) + field(0);
        return QImage(pixels + 12 * field(19), field(4), field(5), field(12), QImage::Format_RGB32)
            .copy();
    }
    // After a first failure the rest fail fast; the screen and output go to build/e2e-artifacts.
    std::chrono::milliseconds patience(std::chrono::milliseconds t) const {
        if (!HasFailure()) return t;
        if (!std::exchange(failureShown_, true) && !display_.empty())
            grab().save(QString::fromStdString(artifact(".png")));
        return 500ms;
    }
    static std::string artifact(const char* suffix) {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        fs::create_directories(QUORVANTA_E2E_ARTIFACTS);
        return std::string(QUORVANTA_E2E_ARTIFACTS "/") + test->test_suite_name() + "." +
               test->name() + suffix;
    }

    // One xdotool run, a failure if it fails: xdotool(point, "click", kLeft), a point a move.
    static QStringList words(const QString& text) { return {text}; }
    static QStringList words(const QStringList& list) { return list; }
    static QStringList words(std::integral auto n) { return {QString::number(n)}; }
    static QStringList words(QPoint p) { return words("mousemove") + words(p.x()) + words(p.y()); }
    template <class... Args>
    void xdotool(const Args&... args) const {
        const QStringList arguments = (QStringList() + ... + words(args));
        const Output result = run("xdotool", arguments);
        EXPECT_TRUE(result.ok) << arguments.join(' ').toStdString() << ": " << result.err.data();
    }
    void click(QPoint p, int button = kLeft) const { xdotool(p, "click", button); }
    void clickKid(WindowId window, const QRect& kid) const {
        click(geometryOf(window).topLeft() + kid.center());
    }
    // Button down, moves of at most 20 pixels, button up: one xdotool run, nothing in between.
    void drag(QPoint from, QPoint to, int button = kLeft) const {
        QStringList moves;
        const QPoint d = to - from;
        const int steps = std::max({1, std::abs(d.x()) / 20, std::abs(d.y()) / 20});
        for (int i = 1; i <= steps; ++i)
            moves << words(from + d * i / steps);
        xdotool(from, "mousedown", button, moves, "mouseup", button);
    }
    // "key" with xdotool's names ("ctrl+f", "Return"), or "type" with text.
    void keys(WindowId window, const QString& keys, const QString& how = "key") const {
        xdotool("windowfocus", "--sync", window, how, "--delay", "50", keys);
    }
    // What a window manager's close control sends (WM_DELETE_WINDOW); false without xcb.
    bool requestClose([[maybe_unused]] WindowId window) const {
#ifdef QUORVANTA_E2E_HAVE_XCB
        xcb_connection_t* c = xcb_connect(display_.c_str(), nullptr);
        auto atom = [c](std::string_view name) {
            xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
                c, xcb_intern_atom(c, 0, std::uint16_t(name.size()), name.data()), nullptr);
            const xcb_atom_t found = reply ? reply->atom : 0;
            return std::free(reply), found;
        };
        xcb_client_message_event_t event{XCB_CLIENT_MESSAGE,   32, 0, xcb_window_t(window),
                                         atom("WM_PROTOCOLS"), {}};
        event.data.data32[0] = atom("WM_DELETE_WINDOW");
        const bool sent = !xcb_connection_has_error(c) && event.type && event.data.data32[0];
        // No event mask: to the window's client; the round trip waits until the server has it.
        if (sent)
            xcb_send_event(c, 0, event.window, 0, reinterpret_cast<const char*>(&event)),
                std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
        xcb_disconnect(c);
        return sent;
#else
        return false;
#endif
    }

    // The viewer ends with status 0, these placements in a 64-byte file, no temporary beside it.
    void expectEndWritingPlacements(const Placements& expected, fs::path folder = {}) {
        if (folder.empty()) folder = runFolder();
        ASSERT_TRUE(viewer_ && viewer_->waitForFinished(int(patience(20s).count())))
            << "the viewer still runs";
        EXPECT_TRUE(viewer_->exitStatus() == QProcess::NormalExit && viewer_->exitCode() == 0)
            << "exit status " << viewer_->exitCode() << "; its output:\n"
            << readText(folder_ / "viewer.log");
        for (const auto& entry : fs::directory_iterator(folder))
            EXPECT_FALSE(entry.path().filename().string().starts_with("Quorvanta.ini") &&
                         entry.path().filename() != "Quorvanta.ini")
                << "left beside the settings file: " << entry.path();
        const std::vector<std::uint8_t> bytes = readBytes(folder / "Quorvanta.ini");
        ASSERT_EQ(bytes.size(), 64u) << "the size of " << folder / "Quorvanta.ini";
        const char* names[] = {"main", "About", "medium selection", "phase selection"};
        for (int i = 0; i < 4; ++i) {
            auto at = [&](int k) { return qFromLittleEndian<qint32>(&bytes[16 * i + 4 * k]); };
            EXPECT_EQ(QRect(at(0), at(1), at(2), at(3)), expected[std::size_t(i)])
                << "the " << names[i] << " window's record";
        }
    }

    quorvanta::testing::TempDir folder_;
    std::unique_ptr<QProcess> viewer_;
    WindowId main_ = 0;
    QPoint origin_;
    int mediumCount_ = 0;

  private:
    mutable bool failureShown_ = false;
    QProcess xvfb_;
    std::string display_;
};

}  // namespace quorvanta::e2e
