#include "harness.h"

#include <signal.h>
#include <sys/prctl.h>

#include <QCoreApplication>
#include <QDataStream>
#include <QFile>
#include <QStandardPaths>
#include <QtEndian>
#include <cstring>

#ifdef QUORVANTA_E2E_HAVE_XCB
#include <xcb/xcb.h>
#endif

void PrintTo(const QRect& r, std::ostream* out) {
    *out << "(" << r.x() << "," << r.y() << " " << r.width() << "x" << r.height() << ")";
}

namespace quorvanta::e2e {

std::string settingsBytes(const Placements& records) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    for (const QRect& r : records)
        out << qint32(r.x()) << qint32(r.y()) << qint32(r.width()) << qint32(r.height());
    return bytes.toStdString();
}

std::vector<int> lineColumns(const QImage& screen, QPoint mainOrigin) {
    std::vector<int> columns;
    for (int x = 0; x < kPlotRight; ++x) {
        int run = 0, longest = 0;
        for (int y = 400; y <= 520; ++y) {
            run = screen.pixel(mainOrigin + QPoint(x, y)) == qRgb(255, 255, 255) ? run + 1 : 0;
            longest = std::max(longest, run);
        }
        if (longest >= 15) columns.push_back(x);
    }
    return columns;
}

namespace {
// A child gets SIGTERM when the test dies, so that a test killed on its timeout leaves no server
// or viewer behind.
void start(QProcess& process, const QString& program, const QStringList& arguments) {
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    process.start(program, arguments);
}
void stop(QProcess& process) {
    process.terminate();
    if (!process.waitForFinished(2000)) process.kill(), process.waitForFinished();
}
}  // namespace

Output run(const QString& program, const QStringList& arguments, int timeoutMs) {
    QProcess process;
    start(process, program, arguments);
    const bool ended = process.waitForFinished(timeoutMs);
    if (!ended) stop(process);
    return {ended && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

void EndToEnd::FirstFailure::OnTestPartResult(const ::testing::TestPartResult& result) {
    if (!result.failed() || std::exchange(taken, true) || test->display_.empty()) return;
    fs::create_directories(QUORVANTA_E2E_ARTIFACTS);
    if (test->grab().save(QString::fromStdString(test->artifact_ + ".png")))
        std::cerr << "the screen at the first failure: " << test->artifact_ << ".png\n";
}

void EndToEnd::SetUp() {
    // Named now: the listener runs while gtest holds the lock the test's name is read under.
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    artifact_ =
        std::string(QUORVANTA_E2E_ARTIFACTS "/") + info->test_suite_name() + "." + info->name();
    firstFailure_.test = this;
    ::testing::UnitTest::GetInstance()->listeners().Append(&firstFailure_);
    for (const char* tool : {"Xvfb", "xdotool"})
        if (QStandardPaths::findExecutable(tool).isEmpty())
            GTEST_SKIP() << tool << " is not installed (Debian packages xvfb and xdotool)";
    static int argc = 1;
    static char name[] = "e2e", *argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
    fs::create_directories(runFolder());
    fs::create_directories(folder_ / "runtime");
    fs::permissions(folder_ / "runtime", fs::perms::owner_all);
    // -displayfd: Xvfb takes a free display and names it once it accepts clients. -noreset: no
    // reset, refusing clients, whenever the last client leaves. -fbdir: the screen in a file.
    xvfb_.setStandardErrorFile(QString::fromStdString((folder_ / "xvfb.log").string()));
    e2e::start(xvfb_, "Xvfb",
               {"-displayfd", "1", "-nolisten", "tcp", "-noreset", "-screen", "0", "1280x1024x24",
                "-fbdir", QString::fromStdString(folder_.path().string())});
    QByteArray number;
    waitUntil(
        [&] {
            xvfb_.waitForReadyRead(100);
            number += xvfb_.readAllStandardOutput();
            return number.endsWith('\n') || xvfb_.state() == QProcess::NotRunning;
        },
        20s);
    ASSERT_TRUE(number.endsWith('\n'))
        << "no Xvfb: " << quorvanta::testing::readText(folder_ / "xvfb.log");
    display_ = ":" + number.trimmed().toStdString();
    ::setenv("DISPLAY", display_.c_str(), 1);
    mediumCount_ = mediumCountOf(QUORVANTA_CATALOGUE);
}

void EndToEnd::TearDown() {
    ::testing::UnitTest::GetInstance()->listeners().Release(&firstFailure_);
    if (HasFailure() && fs::exists(folder_ / "viewer.log"))
        fs::copy_file(folder_ / "viewer.log", artifact_ + ".log",
                      fs::copy_options::overwrite_existing);
    if (viewer_) stop(*viewer_);
    stop(xvfb_);
}

WindowId EndToEnd::start(const QString& program, const fs::path& folder,
                         const std::vector<std::pair<QString, QString>>& environment) {
    if (viewer_) stop(*viewer_);
    viewer_ = std::make_unique<QProcess>();
    // Qt's own platform, scale and save dialog, whatever desktop the tests run in.
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
    e2e::start(*viewer_, program, {});
    const WindowId main = waitForWindow(kMainTitle);
    const QPoint panel = geometryOf(main).topLeft() + QPoint(992, 640);  // no kid covers it
    if (main != 0 && !waitUntil([&] { return grab().pixel(panel) != qRgb(0, 0, 0); }, 20s))
        ADD_FAILURE() << "the main window never painted its panel";
    return main;
}

std::vector<WindowId> EndToEnd::visible(const std::string& title) const {
    // xdotool matches names by regular expressions; the titles hold no special character.
    const QString exactly = "^" + QString::fromStdString(title) + "$";
    std::vector<WindowId> ids;
    for (const QByteArray& id :
         run("xdotool", {"search", "--onlyvisible", "--name", exactly}).out.split('\n'))
        if (!id.isEmpty()) ids.push_back(id.toULong());
    return ids;
}

WindowId EndToEnd::waitForWindow(const std::string& title) {
    std::vector<WindowId> found;
    waitUntil([&] { return !(found = visible(title)).empty() || !viewerRunning(); }, patience(20s));
    if (!viewerRunning())
        ADD_FAILURE() << "the viewer ended while waiting for \"" << title << "\"; its output:\n"
                      << quorvanta::testing::readText(folder_ / "viewer.log");
    else if (found.size() != 1)
        ADD_FAILURE() << found.size() << " windows \"" << title << "\"";
    return found.size() == 1 && viewerRunning() ? found[0] : 0;
}

std::vector<std::string> EndToEnd::otherWindowTitles() const {
    std::vector<std::string> titles;
    for (const QByteArray& id :
         run("xdotool", {"search", "--onlyvisible", "--name", "."}).out.split('\n')) {
        const std::string title =
            run("xdotool", {"getwindowname", QString(id)}).out.trimmed().toStdString();
        if (!id.isEmpty() && title != kMainTitle && title != kAboutTitle && title != kMediaTitle &&
            title != kPhaseTitle)
            titles.push_back(title);
    }
    return titles;
}

QRect EndToEnd::geometryOf(WindowId window) const {
    QRect rect;
    for (const QByteArray& line :
         run("xdotool", {"getwindowgeometry", "--shell", QString::number(window)})
             .out.split('\n')) {
        const QList<QByteArray> pair = line.split('=');
        const int value = pair.value(1).toInt();
        if (pair[0] == "X") rect.moveLeft(value);
        if (pair[0] == "Y") rect.moveTop(value);
        if (pair[0] == "WIDTH") rect.setWidth(value);
        if (pair[0] == "HEIGHT") rect.setHeight(value);
    }
    return rect;
}

// Xvfb's frame buffer is an XWD file: big-endian header fields, the colour map, then the pixels,
// here 32-bit least significant byte first, just as Format_RGB32 keeps them.
QImage EndToEnd::grab() const {
    QFile file(QString::fromStdString((folder_ / "Xvfb_screen0").string()));
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    auto field = [&](int i) { return int(qFromBigEndian<quint32>(bytes.constData() + 4 * i)); };
    if (bytes.size() < 100 || field(7) != 0 || field(11) != 32) {
        ADD_FAILURE() << "no frame buffer of 32-bit pixels";
        QImage black(kScreenWidth, kScreenHeight, QImage::Format_RGB32);
        black.fill(Qt::black);
        return black;
    }
    return QImage(reinterpret_cast<const uchar*>(bytes.constData()) + field(0) + 12 * field(19),
                  field(4), field(5), field(12), QImage::Format_RGB32)
        .copy();
}

bool EndToEnd::requestClose([[maybe_unused]] WindowId window) const {
#ifndef QUORVANTA_E2E_HAVE_XCB
    return false;
#else
    xcb_connection_t* c = xcb_connect(display_.c_str(), nullptr);
    auto atom = [&](const char* name) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            c, xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t found = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(reply);
        return found;
    };
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = xcb_window_t(window);
    event.type = atom("WM_PROTOCOLS");
    event.data.data32[0] = atom("WM_DELETE_WINDOW");
    const bool sent = !xcb_connection_has_error(c) && event.data.data32[0] != XCB_ATOM_NONE;
    // No event mask: delivered to the window's client. The round trip makes sure the request
    // reached the server before the connection goes.
    if (sent)
        xcb_send_event(c, 0, event.window, 0, reinterpret_cast<const char*>(&event)),
            std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    xcb_disconnect(c);
    return sent;
#endif
}

void EndToEnd::expectEndWritingPlacements(const Placements& expected, fs::path folder) {
    if (folder.empty()) folder = runFolder();
    ASSERT_TRUE(viewer_ && viewer_->waitForFinished(int(patience(20s).count())))
        << "the viewer still runs";
    EXPECT_TRUE(viewer_->exitStatus() == QProcess::NormalExit && viewer_->exitCode() == 0)
        << "exit status " << viewer_->exitCode() << "; its output:\n"
        << quorvanta::testing::readText(folder_ / "viewer.log");
    for (const auto& entry : fs::directory_iterator(folder))
        EXPECT_FALSE(entry.path().filename().string().starts_with("Quorvanta.ini") &&
                     entry.path().filename() != "Quorvanta.ini")
            << "left beside the settings file: " << entry.path();
    const std::vector<std::uint8_t> bytes = readBytes(folder / "Quorvanta.ini");
    ASSERT_EQ(bytes.size(), 64u) << "the size of " << folder / "Quorvanta.ini";
    QDataStream in(QByteArray(reinterpret_cast<const char*>(bytes.data()), 64));
    in.setByteOrder(QDataStream::LittleEndian);
    const char* names[] = {"main", "About", "medium selection", "phase selection"};
    for (int i = 0; i < 4; ++i) {
        qint32 x, y, width, height;
        in >> x >> y >> width >> height;
        EXPECT_EQ(QRect(x, y, width, height), expected[std::size_t(i)])
            << "the " << names[i] << " window's record";
    }
}

}  // namespace quorvanta::e2e
