// Shared state of the toolkit's translation units. Only the toolkit includes this.
#pragma once

#include <QButtonGroup>
#include <QFont>
#include <QImage>
#include <QPalette>
#include <QPointer>
#include <QScrollArea>
#include <QWidget>
#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "toolkit/toolkit.h"

namespace xb {

// Messages the toolkit itself makes or interprets, looked up by name once they are registered.
enum class Known : int {
    Callback,
    Change,
    CloseWindow,
    Create,
    DisplayWindow,
    GetColor,
    GetGridNumber,
    GetPosition,
    GetValue,
    GetValues,
    GetWindowSize,
    HideWindow,
    Initialize,
    MuchLess,
    MuchMore,
    OneLess,
    OneMore,
    Redrawn,
    Resize,
    SelectWindow,
    Selection,
    SetCallback,
    SetColor,
    SetColorExtra,
    SetFont,
    SetGridName,
    SetGridProperties,
    SetHintString,
    SetPosition,
    SetStyle,
    SetTextString,
    SetTexture,
    SetValue,
    SetValues,
    SetWindowTitle,
    ShowWindow,
    WindowCreate,
    WindowMouseDown,
    WindowMouseMove,
    WindowMouseUp,
    WindowRegister,
    // Keys, the wheel, text fields and lists.
    GetTextString,
    KeyDown,
    ResizeWindow,
    SetTextArray,
    TextModified,
    WindowKeyDown,
    WindowMouseWheel,
    // Hover.
    WindowMouseExit,
    LastMessage,
    Count
};

enum class GridKind { WindowGrid, Image, PushButton, Toggle, ScrollH, ScrollV, TextLine, List };

struct GridRecord {
    bool alive = false;
    GridKind kind = GridKind::WindowGrid;
    std::int32_t type = 0;
    std::int32_t window = 0;
    std::int32_t parent = 0;
    std::int32_t kidNumber = 0;  // 0 for a window grid
    GridFunction function = nullptr;
    std::vector<std::int32_t> kids;
    std::int32_t callbackGrid = 0;
    std::int32_t callbackFunction = 0;
    std::int32_t callbackKid = 0;
    std::array<std::int32_t, 4> colours{};
    std::array<std::int32_t, 4> colourExtra{};
    std::int32_t texture = 0;
    std::int32_t style = 0;
    std::string name;
    std::string text;
    std::string hint;
    std::array<std::int32_t, 2> values{};
    std::int32_t buffer = 0;   // image grid that drawing on this grid paints into
    std::int32_t shownBy = 0;  // for an image grid used as a buffer: the grid that shows it
    QImage image;              // image grids; window grids without a buffer draw here
    // An image grid not drawn on since it was made or cleared is all this colour, and its pixels
    // are made only when something is drawn on it: a window's buffer may be large and never drawn.
    std::optional<QRgb> blank;
    std::int32_t drawX = 0;
    std::int32_t drawY = 0;
    std::int32_t low = 0, start = 0, end = 0, high = 0;  // scroll bars
    std::int32_t x = 0, y = 0, width = 0, height = 0;
    bool tracksPointer = false;  // a window grid that reports hover (XuiTrackPointer)
    QPointer<QWidget> widget;
    // Toggles: the shown state. A toggle has no widget of its own until one is asked for
    // (XuiNativeWidget); until then the grid paints it and hit-tests clicks on it, so that a
    // window of tens of thousands of toggles costs little more than their records.
    bool checked = false;
    const QFont* font = nullptr;     // from SetFont, shared (State::fonts)
    const QPalette* look = nullptr;  // the extra colours' roles only (State::paintedLooks)
    // The toggles among this grid's kids. Unchecking a toggle of no group makes Qt search every
    // sibling for an exclusive partner, which made releasing thousands of toggles quadratic.
    QPointer<QButtonGroup> toggles;
};

struct WindowRecord {
    bool alive = false;
    QPointer<QWidget> widget;
    // A window larger than the screen shows its grid through this scrolling viewport.
    QPointer<QScrollArea> viewport;
    std::int32_t grid = 0;
    std::string typeName;
    std::string title;
};

struct GridTypeRecord {
    std::string name;
    GridFunction function = nullptr;
    std::vector<GridFunction> defaults;
    std::map<std::string, std::int32_t, std::less<>> properties;
};

struct QueuedMessage {
    std::int32_t grid, message, v0, v1, v2, v3, r0, r1;
};

struct State {
    // Deques: records keep their place while new ones are added during a call that holds one.
    std::deque<GridRecord> grids = std::deque<GridRecord>(1);
    std::deque<WindowRecord> windows = std::deque<WindowRecord>(1);
    std::vector<QImage> images{1};
    std::map<std::int32_t, std::string> texts;
    std::int32_t nextText = 1;
    std::vector<GridFunction> functions{nullptr};
    std::unordered_map<std::string, std::int32_t> messageNumbers;
    std::vector<std::string> messageNames{""};
    std::array<std::int32_t, static_cast<int>(Known::Count)> known{};
    std::unordered_map<std::string, std::int32_t> cursors;
    std::unordered_map<std::string, std::int32_t> icons;
    std::vector<GridTypeRecord> gridTypes{1};
    std::deque<QueuedMessage> queue;
    GridFunction ceo = nullptr;
    bool helpEnabled = true;
    std::unordered_set<std::int32_t> dirtyGrids;  // grids whose widget must repaint
    // Buttons of one look and kids of one font share one object: a window may hold tens of
    // thousands of toggles. Looks are keyed by the inherited palette and the extra colours,
    // fonts by face, pixel size and boldness.
    std::map<std::pair<qint64, std::array<std::int32_t, 4>>, QPalette> buttonLooks;
    std::map<std::tuple<std::string, std::int32_t, bool>, QFont> fonts;
    // Painted toggles keep only the roles the extra colours set; the rest comes from the grid
    // that paints them, as a widget's palette inherits from its parent.
    std::map<std::array<std::int32_t, 4>, QPalette> paintedLooks;
    // A painted look resolved against the palette of the grid that paints it, released and
    // pressed. Kept, so that the style's pixmap cache, keyed by the palette, is hit every time.
    std::map<std::pair<const QPalette*, qint64>, std::pair<QPalette, QPalette>> resolvedLooks;
    QPointer<QWidget> readout;     // made when first shown
    std::int32_t readoutGrid = 0;  // the grid it is shown over; 0 while hidden
};

State& state();
void ensureApplication();
std::int32_t known(Known message);
GridRecord* gridRecord(std::int32_t grid);
WindowRecord* windowRecord(std::int32_t window);
void queueMessage(std::int32_t grid, std::int32_t message, std::int32_t v0 = 0, std::int32_t v1 = 0,
                  std::int32_t v2 = 0, std::int32_t v3 = 0, std::int32_t r0 = 0,
                  std::int32_t r1 = 0);
QRgb rgbOf(std::int32_t colour);
QColor qcolour(std::int32_t colour);
// Whether message is the known one; a name never registered matches nothing.
bool isMessage(std::int32_t message, Known name);
// A single-byte text as Qt shows it (byte 0xE6 is the micro sign).
QString latin1(const std::string& text);
// What every grid does with the messages the toolkit knows (grid_messages.cpp); kids go through
// kidProcess, which first passes their own actions on to the callback.
std::int32_t commonProcess(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                           std::int32_t& v1, std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,
                           std::int32_t& r1);
std::int32_t kidProcess(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                        std::int32_t& v1, std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,
                        std::int32_t& r1);
// The image that drawing on grid paints into, or nullptr.
QImage* drawTarget(std::int32_t grid);
// The record holding the pixels that grid shows, without making a blank one's pixels; nullptr
// when none are there yet.
const GridRecord* shownPicture(std::int32_t grid);
// Repaints the widgets of grids drawn on since the last call.
void flushDirtyGrids();
// Hides the readout when it stands over one of the grids drawn on since the last flush.
void hideReadoutOverDrawnGrids();
// Passes the window mouse messages of a grid that tracks the pointer on to its callback.
std::int32_t pointerProcess(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                            std::int32_t& v1, std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,
                            std::int32_t& r1);
// A text typed into a field as the program's single-byte texts hold it (see textFromUser).
std::string singleByteText(const QString& text);
// The key of a key event as the key messages report it (v0), 0 for a key they do not report; and
// the modifier bits of v2.
std::int32_t keyCode(int qtKey, const QString& text);
std::int32_t modifierBits(Qt::KeyboardModifiers modifiers);

// Toggles painted by their grid (painted_toggles.cpp).
bool isPaintedToggle(const GridRecord& rec);
// The palette roles the extra colours give a button: face, text, shadow, light.
void setButtonRoles(QPalette& palette, const std::array<std::int32_t, 4>& colourExtra);
// Gives a painted toggle a widget of its own, which from then on stands for it; its widget.
QWidget* toggleWidget(std::int32_t grid);
// A toggle's new shown state, whether set or clicked; repaints it.
void setToggleChecked(std::int32_t grid, bool checked);
// Asks the grid holding a painted toggle to repaint.
void repaintToggle(const GridRecord& rec);

// Windows on the screens (placement.cpp).
// The client size a window of the given design size is shown at, at (x, y): at most the
// available area of its screen, scroll bars included where it scrolls over its grid.
QSize shownWindowSize(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);
// A viewport for the window grid of a window shown smaller than its design size.
QScrollArea* makeGridViewport(QWidget* top);

}  // namespace xb
