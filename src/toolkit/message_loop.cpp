// The process, its runtime and the message loop.

#include <QApplication>
#include <QScreen>
#include <QStyleFactory>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "toolkit/toolkit.h"
#include "toolkit/toolkit_internal.h"

namespace xb {
namespace {

void dispatch(QueuedMessage m) {
    State& s = state();
    if (s.ceo) {
        QueuedMessage c = m;
        s.ceo(c.grid, c.message, c.v0, c.v1, c.v2, c.v3, c.r0, c.r1);
    }
    GridRecord* rec = gridRecord(m.grid);
    if (!rec || !rec->function) return;
    rec->function(m.grid, m.message, m.v0, m.v1, m.v2, m.v3, m.r0, m.r1);
}

}  // namespace
}  // namespace xb

using namespace xb;

// ---- Process and runtime -------------------------------------------------------------------

int XxxMain(int argc, char** argv, void (*entry)()) {
    static int savedArgc = 1;
    static std::vector<char*> savedArgv;
    if (!QCoreApplication::instance()) {
        savedArgc = argc > 0 ? argc : 1;
        savedArgv.assign(argv, argv + savedArgc);
        savedArgv.push_back(nullptr);
        new QApplication(savedArgc, savedArgv.data());
        QApplication::setStyle(QStyleFactory::create("Fusion"));
    }
    entry();
    return 0;
}

void XxxTerminate(std::int32_t status) {
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(status);
}

void XstSetProgramName(std::string_view name) {
    ensureApplication();
    QCoreApplication::setApplicationName(QString::fromLatin1(name.data(), name.size()));
}

std::string XstGetCurrentDirectory() {
    std::error_code error;
    std::filesystem::path path = std::filesystem::current_path(error);
    return error ? std::string(".") : path.string();
}

void XstHideConsole() {}

void XstLog(std::string_view line) {
    std::cerr << line << '\n';
    std::cerr.flush();
}

void XuiHelpDisable() {
    state().helpEnabled = false;
}
void XuiHelpEnable() {
    state().helpEnabled = true;
}
bool XuiHelpEnabled() {
    return state().helpEnabled;
}

void XgrGetDisplaySize(std::string_view, std::int32_t& width, std::int32_t& height,
                       std::int32_t& borderWidth, std::int32_t& titleHeight) {
    ensureApplication();
    QScreen* screen = QGuiApplication::primaryScreen();
    const QSize size = screen ? screen->size() : QSize(1280, 1024);
    width = size.width();
    height = size.height();
    borderWidth = 0;
    titleHeight = 0;
}

// ---- Message loop --------------------------------------------------------------------------

void XgrSetCEO(GridFunction function) {
    state().ceo = function;
}

void XgrFlushEvents() {
    ensureApplication();
    flushDirtyGrids();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    flushDirtyGrids();
}

void XgrProcessMessages(std::int32_t count) {
    ensureApplication();
    for (std::int32_t i = 0; i < count; ++i) {
        XgrFlushEvents();
        while (state().queue.empty()) {
            flushDirtyGrids();
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        }
        QueuedMessage message = state().queue.front();
        state().queue.pop_front();
        dispatch(message);
    }
}

std::int32_t XgrQueuedMessageCount() {
    return static_cast<std::int32_t>(state().queue.size());
}

void XgrQueueMessage(std::int32_t grid, std::int32_t message, std::int32_t v0, std::int32_t v1,
                     std::int32_t v2, std::int32_t v3, std::int32_t r0, std::int32_t r1) {
    queueMessage(grid, message, v0, v1, v2, v3, r0, r1);
}

void XgrDropQueuedMessages() {
    state().queue.clear();
}

void XgrResetToolkit() {
    State& s = state();
    for (WindowRecord& win : s.windows)
        delete win.widget.data();
    delete s.readout.data();
    s = State{};
}
