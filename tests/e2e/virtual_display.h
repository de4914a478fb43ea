// A private X server for one test: Xvfb on a free display number, with its frame buffer kept in a
// file that the test reads as the screen; and the windows on it, found and clicked with xdotool.
#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "child_process.h"

namespace quorvanta::e2e {

struct Rgb {
    int r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};
struct Point {
    int x = 0, y = 0;
};

// "(x,y widthxheight)", also in gtest's messages.
std::ostream& operator<<(std::ostream& out, const Rect& rect);

// One picture of the whole screen, rows growing downwards.
class Screenshot {
  public:
    Screenshot(int width, int height, std::vector<std::uint32_t> pixels);
    int width() const { return width_; }
    int height() const { return height_; }
    Rgb at(int x, int y) const;
    void savePng(const std::filesystem::path& path) const;

  private:
    int width_;
    int height_;
    std::vector<std::uint32_t> pixels_;  // 0xRRGGBB
};

class VirtualDisplay {
  public:
    static constexpr int kWidth = 1280;
    static constexpr int kHeight = 1024;

    // Starts Xvfb with its files in the given folder; throws when no display could be started.
    explicit VirtualDisplay(const std::filesystem::path& folder);
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    const std::string& name() const { return name_; }  // ":140"
    Screenshot grab() const;

  private:
    std::string name_;
    std::filesystem::path frameBuffer_;
    std::unique_ptr<ChildProcess> server_;
};

using WindowId = std::uint32_t;

// The windows of a display as a user without a window manager sees them.
class DisplayWindows {
  public:
    explicit DisplayWindows(std::string display) : display_(std::move(display)) {}

    // Mapped windows whose title is exactly the given one.
    std::vector<WindowId> visible(const std::string& title) const;
    // Every mapped window with a title, of any client.
    std::vector<WindowId> allVisible() const;
    std::optional<Rect> geometry(WindowId window) const;
    std::string title(WindowId window) const;
    // Pointer buttons as X numbers them.
    static constexpr int kLeft = 1, kRight = 3;
    // Moves the pointer to the screen position and clicks a button there.
    void click(Point at, int button = kLeft) const;
    // Presses a button at one point, moves the pointer in steps of at most 20 pixels to the other
    // and releases the button there.
    void drag(Point from, Point to, int button = kLeft) const;
    // The first half of a drag: the button stays down at the end.
    void press(Point at, int button = kLeft) const;
    void moveTo(Point at) const;
    void release(Point at, int button = kLeft) const;
    // Gives the window the keyboard focus, as a click on its frame would, then presses the keys
    // (xdotool's names: "ctrl+f", "Return", "slash") or types the text.
    void keys(WindowId window, const std::vector<std::string>& keys) const;
    void type(WindowId window, const std::string& text) const;
    // Asks the window's client to close it, as a window manager's close control does
    // (WM_DELETE_WINDOW); false when the request could not be sent.
    bool requestClose(WindowId window) const;
    // Whether requestClose was built in: it talks to the server through xcb.
    static bool canRequestClose();

  private:
    CommandResult xdotool(const std::vector<std::string>& arguments) const;
    // Runs xdotool for pointer input; throws when it fails.
    void pointer(const std::vector<std::string>& arguments) const;
    std::string display_;
};

}  // namespace quorvanta::e2e
