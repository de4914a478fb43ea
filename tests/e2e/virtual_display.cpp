#include "virtual_display.h"

#include <signal.h>
#include <unistd.h>

#include <QImage>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <thread>

#ifdef QUORVANTA_E2E_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace quorvanta::e2e {

namespace {

using Clock = std::chrono::steady_clock;

// Display numbers tried, upwards from the first.
constexpr int kFirstDisplay = 140;
constexpr int kDisplaysTried = 60;
constexpr auto kServerStartTimeout = 10s;
constexpr auto kPollStep = 10ms;

std::filesystem::path socketOf(int display) {
    return "/tmp/.X11-unix/X" + std::to_string(display);
}

std::filesystem::path lockOf(int display) {
    return "/tmp/.X" + std::to_string(display) + "-lock";
}

// The process id written into a display's lock file, or -1.
long lockHolder(int display) {
    std::ifstream lock(lockOf(display));
    long pid = -1;
    lock >> pid;
    return lock ? pid : -1;
}

// A display number is taken while the server named in its lock file lives, and, to be safe, when
// its socket exists without a lock. A lock left by a server that died is stale: Xvfb replaces it.
bool mayTake(int display) {
    if (!std::filesystem::exists(lockOf(display)))
        return !std::filesystem::exists(socketOf(display));
    const long holder = lockHolder(display);
    return holder > 0 && ::kill(static_cast<pid_t>(holder), 0) != 0 && errno == ESRCH;
}

// Whether the display's server answers a client.
bool answers(const std::string& display) {
    static const std::optional<std::filesystem::path> xdotool = findOnPath("xdotool");
    return xdotool &&
           runCommand(*xdotool, {"getdisplaygeometry"}, {{"DISPLAY", display}}, 2s).succeeded();
}

// The XWD file that Xvfb's -fbdir keeps as its frame buffer: a header of big-endian 32-bit
// fields, the window name, a colour map of 12-byte entries, then the pixels row by row.
struct XwdHeader {
    std::uint32_t headerSize = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t byteOrder = 0;  // 0: least significant byte first
    std::uint32_t bitsPerPixel = 0;
    std::uint32_t bytesPerLine = 0;
    std::uint32_t redMask = 0, greenMask = 0, blueMask = 0;
    std::uint32_t colourCount = 0;
};

constexpr std::size_t kXwdFields = 25;
constexpr std::size_t kXwdColourSize = 12;

std::uint32_t bigEndian(const std::vector<unsigned char>& bytes, std::size_t offset) {
    return std::uint32_t{bytes[offset]} << 24 | std::uint32_t{bytes[offset + 1]} << 16 |
           std::uint32_t{bytes[offset + 2]} << 8 | std::uint32_t{bytes[offset + 3]};
}

XwdHeader readXwdHeader(const std::vector<unsigned char>& bytes) {
    if (bytes.size() < kXwdFields * 4) throw std::runtime_error("frame buffer file too short");
    auto field = [&](std::size_t index) { return bigEndian(bytes, index * 4); };
    XwdHeader h;
    h.headerSize = field(0);
    h.width = field(4);
    h.height = field(5);
    h.byteOrder = field(7);
    h.bitsPerPixel = field(11);
    h.bytesPerLine = field(12);
    h.redMask = field(14);
    h.greenMask = field(15);
    h.blueMask = field(16);
    h.colourCount = field(19);
    return h;
}

// The 0..255 value of the bits under mask.
int channel(std::uint32_t pixel, std::uint32_t mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (((mask >> shift) & 1U) == 0)
        ++shift;
    const std::uint32_t value = (pixel & mask) >> shift;
    const std::uint32_t maximum = mask >> shift;
    return static_cast<int>(value * 255U / maximum);
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const Rect& rect) {
    return out << "(" << rect.x << "," << rect.y << " " << rect.width << "x" << rect.height << ")";
}

Screenshot::Screenshot(int width, int height, std::vector<std::uint32_t> pixels)
    : width_(width), height_(height), pixels_(std::move(pixels)) {}

Rgb Screenshot::at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return {};
    const std::uint32_t p = pixels_[std::size_t(y) * std::size_t(width_) + std::size_t(x)];
    return {int(p >> 16 & 0xFF), int(p >> 8 & 0xFF), int(p & 0xFF)};
}

void Screenshot::savePng(const std::filesystem::path& path) const {
    QImage image(width_, height_, QImage::Format_RGB32);
    for (int y = 0; y < height_; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width_; ++x)
            line[x] = 0xFF000000U | pixels_[std::size_t(y) * std::size_t(width_) + std::size_t(x)];
    }
    if (!image.save(QString::fromStdString(path.string()), "PNG"))
        throw std::runtime_error("cannot write " + path.string());
}

VirtualDisplay::VirtualDisplay(const std::filesystem::path& folder) {
    const std::filesystem::path frameBufferFolder = folder / "framebuffer";
    std::filesystem::create_directories(frameBufferFolder);
    frameBuffer_ = frameBufferFolder / "Xvfb_screen0";
    const std::string screen = std::to_string(kWidth) + "x" + std::to_string(kHeight) + "x24";
    const std::optional<std::filesystem::path> xvfb = findOnPath("Xvfb");
    if (!xvfb) throw std::runtime_error("Xvfb is not on PATH");

    std::string lastLog;
    for (int display = kFirstDisplay; display < kFirstDisplay + kDisplaysTried; ++display) {
        if (!mayTake(display)) continue;
        const std::string name = ":" + std::to_string(display);
        ProcessOptions options;
        options.program = *xvfb;
        // -noreset: without it the server resets whenever its last client leaves, such as the
        // readiness check below, and a client connecting during the reset is refused.
        options.arguments = {name,       "-nolisten", "tcp",
                             "-noreset", "-screen",   "0",
                             screen,     "-fbdir",    frameBufferFolder.string()};
        options.outputFile = folder / ("xvfb" + name.substr(1) + ".log");
        auto server = std::make_unique<ChildProcess>(options);
        // Ready once its lock names it (another server may have taken the number meanwhile)
        // and a client gets an answer from it.
        const auto deadline = Clock::now() + kServerStartTimeout;
        while (server->running() && Clock::now() < deadline) {
            if (lockHolder(display) == server->pid() &&
                std::filesystem::exists(socketOf(display)) &&
                std::filesystem::exists(frameBuffer_) && answers(name)) {
                name_ = name;
                server_ = std::move(server);
                return;
            }
            std::this_thread::sleep_for(kPollStep);
        }
        server->stop();
        std::ifstream log(options.outputFile);
        lastLog.assign(std::istreambuf_iterator<char>(log), std::istreambuf_iterator<char>());
    }
    throw std::runtime_error("no free X display between :" + std::to_string(kFirstDisplay) +
                             " and :" + std::to_string(kFirstDisplay + kDisplaysTried - 1) +
                             ", or Xvfb does not start; its last words:\n" + lastLog);
}

VirtualDisplay::~VirtualDisplay() {
    if (server_) server_->stop();
}

Screenshot VirtualDisplay::grab() const {
    std::ifstream file(frameBuffer_, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(file),
                                           std::istreambuf_iterator<char>()};
    const XwdHeader h = readXwdHeader(bytes);
    if (h.bitsPerPixel != 32) throw std::runtime_error("frame buffer is not 32 bits per pixel");
    const std::size_t start = h.headerSize + std::size_t(h.colourCount) * kXwdColourSize;
    if (bytes.size() < start + std::size_t(h.bytesPerLine) * h.height)
        throw std::runtime_error("frame buffer file too short");

    std::vector<std::uint32_t> pixels;
    pixels.reserve(std::size_t(h.width) * h.height);
    for (std::uint32_t y = 0; y < h.height; ++y) {
        const unsigned char* row = bytes.data() + start + std::size_t(y) * h.bytesPerLine;
        for (std::uint32_t x = 0; x < h.width; ++x) {
            const unsigned char* p = row + std::size_t(x) * 4;
            const std::uint32_t value =
                h.byteOrder == 0 ? std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 |
                                       std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24
                                 : std::uint32_t{p[3]} | std::uint32_t{p[2]} << 8 |
                                       std::uint32_t{p[1]} << 16 | std::uint32_t{p[0]} << 24;
            pixels.push_back(std::uint32_t(channel(value, h.redMask)) << 16 |
                             std::uint32_t(channel(value, h.greenMask)) << 8 |
                             std::uint32_t(channel(value, h.blueMask)));
        }
    }
    return Screenshot(int(h.width), int(h.height), std::move(pixels));
}

CommandResult DisplayWindows::xdotool(const std::vector<std::string>& arguments) const {
    static const std::optional<std::filesystem::path> program = findOnPath("xdotool");
    if (!program) throw std::runtime_error("xdotool is not on PATH");
    return runCommand(*program, arguments, {{"DISPLAY", display_}});
}

namespace {

std::vector<WindowId> windowIds(const std::string& text) {
    std::vector<WindowId> ids;
    std::istringstream lines(text);
    unsigned long id = 0;
    while (lines >> id)
        ids.push_back(static_cast<WindowId>(id));
    return ids;
}

// A title as an exact regular expression: xdotool matches names by POSIX extended expressions.
std::string exactly(const std::string& title) {
    std::string pattern = "^";
    for (char c : title) {
        if (std::strchr(".[]{}()\\*+?|^$", c) != nullptr) pattern += '\\';
        pattern += c;
    }
    return pattern + "$";
}

}  // namespace

std::vector<WindowId> DisplayWindows::visible(const std::string& title) const {
    return windowIds(xdotool({"search", "--onlyvisible", "--name", exactly(title)}).out);
}

std::vector<WindowId> DisplayWindows::allVisible() const {
    return windowIds(xdotool({"search", "--onlyvisible", "--name", "."}).out);
}

std::optional<Rect> DisplayWindows::geometry(WindowId window) const {
    const CommandResult result = xdotool({"getwindowgeometry", "--shell", std::to_string(window)});
    if (!result.succeeded()) return std::nullopt;
    Rect rect;
    int found = 0;
    std::istringstream lines(result.out);
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = line.substr(0, equals);
        const int value = std::stoi(line.substr(equals + 1));
        if (key == "X") rect.x = value, ++found;
        if (key == "Y") rect.y = value, ++found;
        if (key == "WIDTH") rect.width = value, ++found;
        if (key == "HEIGHT") rect.height = value, ++found;
    }
    if (found != 4) return std::nullopt;
    return rect;
}

std::string DisplayWindows::title(WindowId window) const {
    std::string name = xdotool({"getwindowname", std::to_string(window)}).out;
    while (!name.empty() && name.back() == '\n')
        name.pop_back();
    return name;
}

void DisplayWindows::pointer(const std::vector<std::string>& arguments) const {
    const CommandResult result = xdotool(arguments);
    if (!result.succeeded())
        throw std::runtime_error("xdotool " + arguments.front() +
                                 " failed: " + result.ending.describe() + " " + result.err);
}

void DisplayWindows::click(Point at, int button) const {
    pointer(
        {"mousemove", std::to_string(at.x), std::to_string(at.y), "click", std::to_string(button)});
}

void DisplayWindows::press(Point at, int button) const {
    pointer({"mousemove", std::to_string(at.x), std::to_string(at.y), "mousedown",
             std::to_string(button)});
}

void DisplayWindows::moveTo(Point at) const {
    pointer({"mousemove", std::to_string(at.x), std::to_string(at.y)});
}

void DisplayWindows::release(Point at, int button) const {
    pointer({"mousemove", std::to_string(at.x), std::to_string(at.y), "mouseup",
             std::to_string(button)});
}

void DisplayWindows::drag(Point from, Point to, int button) const {
    constexpr int kStep = 20;
    // One xdotool run for the whole gesture, so that no other client's input comes in between.
    std::vector<std::string> arguments = {"mousemove", std::to_string(from.x),
                                          std::to_string(from.y), "mousedown",
                                          std::to_string(button)};
    const int steps =
        std::max({1, std::abs(to.x - from.x) / kStep, std::abs(to.y - from.y) / kStep});
    for (int i = 1; i <= steps; ++i) {
        arguments.insert(arguments.end(),
                         {"mousemove", std::to_string(from.x + (to.x - from.x) * i / steps),
                          std::to_string(from.y + (to.y - from.y) * i / steps)});
    }
    arguments.insert(arguments.end(), {"mouseup", std::to_string(button)});
    pointer(arguments);
}

void DisplayWindows::keys(WindowId window, const std::vector<std::string>& keys) const {
    std::vector<std::string> arguments = {"windowfocus", "--sync",  std::to_string(window),
                                          "key",         "--delay", "50"};
    arguments.insert(arguments.end(), keys.begin(), keys.end());
    pointer(arguments);
}

void DisplayWindows::type(WindowId window, const std::string& text) const {
    pointer({"windowfocus", "--sync", std::to_string(window), "type", "--delay", "50", text});
}

#ifdef QUORVANTA_E2E_HAVE_XCB

namespace {

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr);
    if (reply == nullptr) return XCB_ATOM_NONE;
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}

}  // namespace

bool DisplayWindows::canRequestClose() {
    return true;
}

bool DisplayWindows::requestClose(WindowId window) const {
    xcb_connection_t* connection = xcb_connect(display_.c_str(), nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return false;
    }
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = internAtom(connection, "WM_PROTOCOLS");
    event.data.data32[0] = internAtom(connection, "WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    const bool named = event.type != XCB_ATOM_NONE && event.data.data32[0] != XCB_ATOM_NONE;
    if (named) {
        // An empty event mask delivers the event to the client that made the window.
        xcb_send_event(connection, 0, window, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&event));
        // A round trip, so the request has reached the server before the connection goes.
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    }
    xcb_disconnect(connection);
    return named;
}

#else

bool DisplayWindows::canRequestClose() {
    return false;
}

bool DisplayWindows::requestClose(WindowId) const {
    return false;
}

#endif

}  // namespace quorvanta::e2e
