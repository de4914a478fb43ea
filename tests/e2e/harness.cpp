#include "harness.h"

#include <signal.h>
#include <sys/prctl.h>

#include <QCoreApplication>
#include <QDataStream>
#include <QFile>
#include <QStandardPaths>
#include <QtEndian>
#include <cstdlib>
#include <cstring>

#ifdef QUORVANTA_E2E_HAVE_XCB
#include <xcb/xcb.h>
#endif

void PrintTo(const QRect& r, std::ostream* out) {
    *out << "(" << r.x() << "," << r.y() << " " << r.width() << "x" << r.height() << ")";
}

namespace quorvanta::e2e {

using quorvanta::testing::readBytes;

QByteArray settingsBytes(const Placements& records) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    for (const QRect& r : records)
        out << qint32(r.x()) << qint32(r.y()) << qint32(r.width()) << qint32(r.height());
    return bytes;
}

int mediumCountOf(const fs::path& catalogue) {
    const std::vector<std::uint8_t> bytes = readBytes(catalogue);
    return bytes.size() < 4 ? 0 : bytes[2] | bytes[3] << 8;
}

std::vector<int> lineColumns(const QImage& screen, QPoint mainOrigin) {
    std::vector<int> columns;
    for (int x = 0; x < kPlotRight; ++x) {
        int run = 0, longest = 0;
        for (int y = kPlotTop; y <= kPlotBottom; ++y) {
            run = screen.pixel(mainOrigin + QPoint(x, y)) == qRgb(255, 255, 255) ? run + 1 : 0;
            longest = std::max(longest, run);
        }
        if (longest >= 15) columns.push_back(x);
    }
    return columns;
}

namespace {

// Children get SIGTERM when the test dies, so that a test killed on its timeout leaves no server
// or viewer behind.
void diesWithTheTest(QProcess& process) {
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

void stop(QProcess& process) {
    if (process.state() == QProcess::NotRunning) return;
    process.terminate();
    if (!process.waitForFinished(2000)) process.kill(), process.waitForFinished();
}

}  // namespace

Output run(const QString& program, const QStringList& arguments, int timeoutMs) {
    QProcess process;
    diesWithTheTest(process);
    process.start(program, arguments);
    const bool ended = process.waitForFinished(timeoutMs);
    if (!ended) stop(process);
    return {ended && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

void EndToEnd::FirstFailure::OnTestPartResult(const ::testing::TestPartResult& result) {
    if (!result.failed() || std::exchange(taken, true) || test->display_.empty()) return;
    const QString png = QString::fromStdString(test->artifact_ + ".png");
    fs::create_directories(QUORVANTA_E2E_ARTIFACTS);
    if (test->grab().save(png))
        std::cerr << "the screen at the first failure: " << png.toStdString() << "\n";
}

void EndToEnd::SetUp() {
    // Named now: the listener runs while gtest holds the lock the test's name is read under.
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    artifact_ =
        std::string(QUORVANTA_E2E_ARTIFACTS) + "/" + info->test_suite_name() + "." + info->name();
    firstFailure_.test = this;
    ::testing::UnitTest::GetInstance()->listeners().Append(&firstFailure_);
    for (const char* tool : {"Xvfb", "xdotool"})
        if (QStandardPaths::findExecutable(tool).isEmpty())
            GTEST_SKIP() << tool << " is not installed (Debian packages xvfb and xdotool)";
    static int argc = 1;
    static char name[] = "test_e2e";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) new QCoreApplication(argc, argv);

    fs::create_directories(runFolder());
    fs::create_directories(folder_ / "runtime");
    fs::permissions(folder_ / "runtime", fs::perms::owner_all);
    frameBuffer_ = folder_ / "Xvfb_screen0";
    // -displayfd: Xvfb takes the first free display and names it on its output once it accepts
    // clients. -noreset: no reset, refusing clients, each time the last client leaves.
    diesWithTheTest(xvfb_);
    xvfb_.setStandardErrorFile(QString::fromStdString((folder_ / "xvfb.log").string()));
    xvfb_.start("Xvfb", {"-displayfd", "1", "-nolisten", "tcp", "-noreset", "-screen", "0",
                         QString("%1x%2x24").arg(kScreenWidth).arg(kScreenHeight), "-fbdir",
                         QString::fromStdString(folder_.path().string())});
    QByteArray number;
    waitUntil(
        [&] {
            xvfb_.waitForReadyRead(100);
            number += xvfb_.readAllStandardOutput();
            return number.endsWith('\n') || xvfb_.state() == QProcess::NotRunning;
        },
        20s);
    ASSERT_TRUE(number.endsWith('\n'))
        << "Xvfb did not start: " << quorvanta::testing::readText(folder_ / "xvfb.log");
    display_ = ":" + number.trimmed().toStdString();
    ::setenv("DISPLAY", display_.c_str(), 1);
    mediumCount_ = mediumCountOf(QUORVANTA_CATALOGUE);
}

void EndToEnd::TearDown() {
    ::testing::UnitTest::GetInstance()->listeners().Release(&firstFailure_);
    if (HasFailure() && fs::exists(folder_ / "viewer.log")) {
        fs::copy_file(folder_ / "viewer.log", artifact_ + ".log",
                      fs::copy_options::overwrite_existing);
    }
    stopViewer();
    stop(xvfb_);
}

void EndToEnd::installCatalogue(const std::vector<std::uint8_t>& bytes) {
    quorvanta::testing::writeFile(runFolder() / "wavelength.dat", bytes);
    mediumCount_ = mediumCountOf(runFolder() / "wavelength.dat");
}

Placements EndToEnd::centredPlacements() const {
    return {centred(kMainWidth, kMainHeight), centred(kAboutWidth, kAboutHeight, kAboutRaise),
            centred(mediaWindowWidth(mediumCount_), kMediaHeight),
            centred(kPhaseWidth, kPhaseHeight)};
}

void EndToEnd::stopViewer() {
    if (viewer_) stop(*viewer_);
    viewer_.reset();
}

bool EndToEnd::viewerRunning() const {
    return viewer_ && viewer_->state() != QProcess::NotRunning && !viewer_->waitForFinished(0);
}

WindowId EndToEnd::start(const QString& program, const fs::path& folder,
                         const std::vector<std::pair<QString, QString>>& environment) {
    stopViewer();
    viewer_ = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // Qt's own platform, scale and save dialog, whatever desktop the tests run in.
    for (const auto& [name, value] : std::vector<std::pair<QString, QString>>{
             {"QT_QPA_PLATFORM", "xcb"},
             {"QT_SCALE_FACTOR", "1"},
             {"QT_SCREEN_SCALE_FACTORS", ""},
             {"QT_ENABLE_HIGHDPI_SCALING", ""},
             {"QT_QPA_PLATFORMTHEME", ""},
             {"XDG_CURRENT_DESKTOP", ""},
             {"XDG_RUNTIME_DIR", QString::fromStdString((folder_ / "runtime").string())}})
        env.insert(name, value);
    for (const auto& [name, value] : environment)
        env.insert(name, value);
    for (const QString& name : env.keys())
        if (env.value(name).isEmpty()) env.remove(name);
    viewer_->setProcessEnvironment(env);
    viewer_->setWorkingDirectory(
        QString::fromStdString((folder.empty() ? runFolder() : folder).string()));
    viewer_->setProcessChannelMode(QProcess::MergedChannels);
    viewer_->setStandardOutputFile(QString::fromStdString((folder_ / "viewer.log").string()));
    diesWithTheTest(*viewer_);
    viewer_->start(program, {});
    if (!viewer_->waitForStarted()) {
        ADD_FAILURE() << "cannot start " << program.toStdString();
        return 0;
    }
    const WindowId main = waitForWindow(kMainTitle);
    const QPoint panel = geometryOf(main).topLeft() + QPoint(992, 640);  // no kid covers it
    if (main != 0 && !waitUntil([&] { return grab().pixel(panel) != qRgb(0, 0, 0); }, 20s))
        ADD_FAILURE() << "the main window never painted its panel";
    return main;
}

std::vector<WindowId> EndToEnd::visible(const std::string& title) const {
    QString exactly = "^";  // xdotool matches names by POSIX extended expressions
    for (const QChar c : QString::fromStdString(title))
        exactly += (QString(".[]{}()\\*+?|^$").contains(c) ? "\\" : "") + QString(c);
    const Output found = run("xdotool", {"search", "--onlyvisible", "--name", exactly + "$"});
    std::vector<WindowId> ids;
    for (const QByteArray& id : found.out.split('\n'))
        if (!id.isEmpty()) ids.push_back(id.toULong());
    return ids;
}

WindowId EndToEnd::waitForWindow(const std::string& title) {
    std::vector<WindowId> found;
    const bool shown = waitUntil(
        [&] {
            found = visible(title);
            return !found.empty() || !viewerRunning();
        },
        patience(20s));
    if (!viewerRunning()) {
        ADD_FAILURE() << "the viewer ended while waiting for \"" << title << "\"; its output:\n"
                      << quorvanta::testing::readText(folder_ / "viewer.log");
        return 0;
    }
    if (!shown) ADD_FAILURE() << "no window \"" << title << "\"";
    EXPECT_LE(found.size(), 1u) << "windows titled \"" << title << "\"";
    return found.empty() ? 0 : found.front();
}

bool EndToEnd::waitUntilHidden(const std::string& title) {
    return waitUntil([&] { return visible(title).empty(); }, patience(20s));
}

std::vector<std::string> EndToEnd::otherWindowTitles() const {
    std::vector<std::string> titles;
    for (const QByteArray& id :
         run("xdotool", {"search", "--onlyvisible", "--name", "."}).out.split('\n')) {
        if (id.isEmpty()) continue;
        const std::string title =
            run("xdotool", {"getwindowname", QString(id)}).out.trimmed().toStdString();
        if (title != kMainTitle && title != kAboutTitle && title != kMediaTitle &&
            title != kPhaseTitle)
            titles.push_back(title);
    }
    return titles;
}

QRect EndToEnd::geometryOf(WindowId window) const {
    const Output shell = run("xdotool", {"getwindowgeometry", "--shell", QString::number(window)});
    QRect rect;
    for (const QByteArray& line : shell.out.split('\n')) {
        const QList<QByteArray> pair = line.split('=');
        if (pair.size() != 2) continue;
        const int value = pair[1].toInt();
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
    QFile file(QString::fromStdString(frameBuffer_.string()));
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    auto field = [&](int i) { return int(qFromBigEndian<quint32>(bytes.constData() + 4 * i)); };
    if (bytes.size() < 100 || field(7) != 0 || field(11) != 32) {
        ADD_FAILURE() << "no 32-bit frame buffer in " << frameBuffer_;
        QImage black(kScreenWidth, kScreenHeight, QImage::Format_RGB32);
        black.fill(Qt::black);
        return black;
    }
    const int start = field(0) + 12 * field(19);
    return QImage(reinterpret_cast<const uchar*>(bytes.constData()) + start, field(4), field(5),
                  field(12), QImage::Format_RGB32)
        .copy();
}

void EndToEnd::xdotool(const QStringList& arguments) const {
    const Output result = run("xdotool", arguments);
    EXPECT_TRUE(result.ok) << "xdotool " << arguments.join(' ').toStdString() << ": "
                           << result.err.toStdString();
}

static QStringList at(QPoint p) {
    return {"mousemove", QString::number(p.x()), QString::number(p.y())};
}

void EndToEnd::click(QPoint p, int button) const {
    xdotool(at(p) << "click" << QString::number(button));
}
void EndToEnd::press(QPoint p, int button) const {
    xdotool(at(p) << "mousedown" << QString::number(button));
}
void EndToEnd::moveTo(QPoint p) const {
    xdotool(at(p));
}
void EndToEnd::release(QPoint p, int button) const {
    xdotool(at(p) << "mouseup" << QString::number(button));
}

void EndToEnd::drag(QPoint from, QPoint to, int button) const {
    QStringList arguments = at(from) << "mousedown" << QString::number(button);
    const QPoint d = to - from;
    const int steps = std::max({1, std::abs(d.x()) / 20, std::abs(d.y()) / 20});
    for (int i = 1; i <= steps; ++i)
        arguments << at(from + d * i / steps);
    xdotool(arguments << "mouseup" << QString::number(button));
}

void EndToEnd::clickKid(WindowId window, const QRect& kid) const {
    click(geometryOf(window).topLeft() + kid.topLeft() + QPoint(kid.width() / 2, kid.height() / 2));
}

// Focus as a click on the window's frame would give it, then the keys.
void EndToEnd::focus(WindowId window) const {
    xdotool({"windowfocus", "--sync", QString::number(window)});
}

void EndToEnd::keys(WindowId window, const QStringList& names) const {
    xdotool(QStringList{"windowfocus", "--sync", QString::number(window), "key", "--delay", "50"} +
            names);
}

void EndToEnd::type(WindowId window, const QString& text) const {
    xdotool({"windowfocus", "--sync", QString::number(window), "type", "--delay", "50", text});
}

#ifdef QUORVANTA_E2E_HAVE_XCB
bool EndToEnd::canRequestClose() {
    return true;
}

bool EndToEnd::requestClose(WindowId window) const {
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
    if (sent) {
        // No event mask: delivered to the client that made the window. The round trip makes sure
        // the request reached the server before the connection goes.
        xcb_send_event(c, 0, event.window, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&event));
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    }
    xcb_disconnect(c);
    return sent;
}
#else
bool EndToEnd::canRequestClose() {
    return false;
}
bool EndToEnd::requestClose(WindowId) const {
    return false;
}
#endif

std::optional<Placements> placementsIn(const fs::path& settings) {
    QFile file(QString::fromStdString(settings.string()));
    if (!file.open(QIODevice::ReadOnly) || file.size() != 64) {
        ADD_FAILURE() << settings << " missing or not 64 bytes";
        return std::nullopt;
    }
    QDataStream in(&file);
    in.setByteOrder(QDataStream::LittleEndian);
    Placements records;
    for (QRect& r : records) {
        qint32 x, y, width, height;
        in >> x >> y >> width >> height;
        r = {x, y, width, height};
    }
    return records;
}

void EndToEnd::expectEndWritingPlacements(const Placements& expected, const fs::path& folder) {
    ASSERT_TRUE(viewer_);
    ASSERT_TRUE(viewer_->waitForFinished(int(patience(20s).count()))) << "the viewer still runs";
    EXPECT_TRUE(viewer_->exitStatus() == QProcess::NormalExit && viewer_->exitCode() == 0)
        << "exit status " << viewer_->exitCode() << "; its output:\n"
        << quorvanta::testing::readText(folder_ / "viewer.log");
    for (const auto& entry : fs::directory_iterator(folder))
        EXPECT_FALSE(entry.path().filename().string().starts_with("Quorvanta.ini") &&
                     entry.path().filename() != "Quorvanta.ini")
            << "left beside the settings file: " << entry.path();
    const std::optional<Placements> written = placementsIn(folder / "Quorvanta.ini");
    const char* names[] = {"main", "About", "medium selection", "phase selection"};
    for (std::size_t i = 0; written && i < 4; ++i)
        EXPECT_EQ((*written)[i], expected[i]) << "the " << names[i] << " window's record";
}

}  // namespace quorvanta::e2e
