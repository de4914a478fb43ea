// The GUI toolkit the program talks to: windows, grids, kids, drawing into grid buffers, colours,
// texts, and the message loop. It stands on Qt 6 Widgets, which no other layer sees.
//
// Everything the toolkit hands out is an int32 number: grids, windows, images, colours, messages,
// texts and functions. 0 means "none" for each of them.
//
// A grid function has the shape (grid, message, v0, v1, v2, v3, r0, r1); all eight are in-out, so a
// called function can hand values back (a created grid comes back in grid). It returns 0.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

using GridFunction = std::int32_t (*)(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                                      std::int32_t& v1, std::int32_t& v2, std::int32_t& v3,
                                      std::int32_t& r0, std::int32_t& r1);

// Button bits of the state value v2 of the window mouse messages.
inline constexpr std::int32_t kLeftButton = 0x01000000;
inline constexpr std::int32_t kMiddleButton = 0x02000000;
inline constexpr std::int32_t kRightButton = 0x04000000;

// Key messages (WindowKeyDown to a window's grid, KeyDown from a text field) carry the key in v0:
// a printable key as its single-byte character, letters in lower case ('f' for F and Shift+F,
// '+', '/'); the other keys they report as these codes. v2 holds the modifier bits.
inline constexpr std::int32_t kKeyLeft = 0x1001;
inline constexpr std::int32_t kKeyRight = 0x1002;
inline constexpr std::int32_t kKeyUp = 0x1003;
inline constexpr std::int32_t kKeyDown = 0x1004;
inline constexpr std::int32_t kKeyHome = 0x1005;
inline constexpr std::int32_t kKeyEnd = 0x1006;
inline constexpr std::int32_t kKeyPageUp = 0x1007;
inline constexpr std::int32_t kKeyPageDown = 0x1008;
inline constexpr std::int32_t kKeyEnter = 0x1009;
inline constexpr std::int32_t kKeyEscape = 0x100A;
inline constexpr std::int32_t kShiftKey = 0x00010000;
inline constexpr std::int32_t kControlKey = 0x00020000;
inline constexpr std::int32_t kAltKey = 0x00040000;

// WindowMouseWheel: v0, v1 = pointer position in the grid, v2 = button and modifier bits,
// v3 = the turn in eighths of a degree (120 per notch of a common wheel; smooth devices send
// fractions of that), positive forward (away from the user) or, for a horizontal wheel, to the
// left. A horizontal turn has this bit in v2.
inline constexpr std::int32_t kWheelHorizontal = 0x00100000;

// Grid type of image grids and drawing buffers.
inline constexpr std::int32_t kImageGridType = 1;

// ---- Process and runtime -------------------------------------------------------------------

// Starts the toolkit runtime and calls entry once; returns when entry returns.
int XxxMain(int argc, char** argv, void (*entry)());
// Ends the process with the given status after flushing the console.
[[noreturn]] void XxxTerminate(std::int32_t status);

void XstSetProgramName(std::string_view name);
std::string XstGetCurrentDirectory();
void XstHideConsole();
// Writes one line to the program's console (standard error).
void XstLog(std::string_view line);

void XuiHelpDisable();
void XuiHelpEnable();
bool XuiHelpEnabled();

// Width and height of the named display ("" for the default one); border width and title height.
void XgrGetDisplaySize(std::string_view display, std::int32_t& width, std::int32_t& height,
                       std::int32_t& borderWidth, std::int32_t& titleHeight);

// ---- Texts and functions as numbers --------------------------------------------------------

// Texts travel in r1 as numbers. The toolkit copies what it is given; the maker releases the text.
std::int32_t XstCreateText(std::string_view text);
std::string XstGetText(std::int32_t text);
void XstReleaseText(std::int32_t text);

// A text number that lives as long as the object.
class XstText {
  public:
    explicit XstText(std::string_view text) : number_(XstCreateText(text)) {}
    ~XstText() { XstReleaseText(number_); }
    XstText(const XstText&) = delete;
    XstText& operator=(const XstText&) = delete;
    std::int32_t number() const { return number_; }

  private:
    std::int32_t number_;
};

// Functions travel in v1 of SetCallback as numbers.
std::int32_t XuiFunctionNumber(GridFunction function);
GridFunction XuiFunctionAt(std::int32_t number);

// ---- Message names -------------------------------------------------------------------------

// Hands out message numbers from 1 up in order of first registration; a name registered again
// keeps its number.
void XgrRegisterMessage(std::string_view name, std::int32_t& message);
// 0 for a name never registered.
void XgrMessageNameToNumber(std::string_view name, std::int32_t& message);
std::string XgrMessageNumberToName(std::int32_t message);
void XgrRegisterCursor(std::string_view name, std::int32_t& cursor);
void XgrRegisterIcon(std::string_view name, std::int32_t& icon);

// ---- Grid types, default processing --------------------------------------------------------

// One default message function per message number 0..LastMessage; empty where the toolkit does
// nothing by default.
void XuiGetDefaultMessageFuncArray(std::vector<GridFunction>& functions);
void XuiRegisterGridType(std::int32_t& gridType, std::string_view name, GridFunction function,
                         const std::vector<GridFunction>& defaults);
void XuiSetGridTypeProperty(std::int32_t gridType, std::string_view property, std::int32_t value);
std::int32_t XuiGetGridTypeProperty(std::int32_t gridType, std::string_view property);
// Default processing of a message for a grid of the given type. Non-zero: nothing more to do.
std::int32_t XuiProcessMessage(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                               std::int32_t& v1, std::int32_t& v2, std::int32_t& v3,
                               std::int32_t& r0, std::int32_t& r1, std::int32_t gridType);

// ---- Grid functions of the toolkit ---------------------------------------------------------

// Runs the grid function of grid; a positive r0 naming one of its kids addresses that kid.
std::int32_t XuiSendMessage(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                            std::int32_t& v1, std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,
                            std::int32_t& r1);
// Passes a message on to the callback function set on grid with SetCallback, wrapped as Callback
// with r0 = the grid's kid number (0 for a window grid) and r1 = the message.
std::int32_t XuiCallback(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                         std::int32_t& v1, std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,
                         std::int32_t& r1);
std::int32_t XuiSetValue(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                         std::int32_t& v1, std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,
                         std::int32_t& r1);
// Two values stored with a grid (v0, v1).
std::int32_t XuiGetValues(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                          std::int32_t& v1, std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,
                          std::int32_t& r1);
std::int32_t XuiSetValues(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                          std::int32_t& v1, std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,
                          std::int32_t& r1);
// The grid's four colours back in v0..v3.
std::int32_t XuiGetColor(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                         std::int32_t& v1, std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,
                         std::int32_t& r1);
// Title text in r1.
std::int32_t XuiSetWindowTitle(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                               std::int32_t& v1, std::int32_t& v2, std::int32_t& v3,
                               std::int32_t& r0, std::int32_t& r1);
// x, y, width, height of the window holding grid back in v0..v3. Moving a window to the reported
// x, y puts it back exactly where it was.
std::int32_t XuiGetWindowSize(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                              std::int32_t& v1, std::int32_t& v2, std::int32_t& v3,
                              std::int32_t& r0, std::int32_t& r1);
std::int32_t XuiShowWindow(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                           std::int32_t& v1, std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,
                           std::int32_t& r1);
std::int32_t XuiHideWindow(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                           std::int32_t& v1, std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,
                           std::int32_t& r1);
// Brings the window holding grid to the front.
std::int32_t XuiSelectWindow(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                             std::int32_t& v1, std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,
                             std::int32_t& r1);
// Window operations by message: WindowCreate (x, y, width, height in v0..v3; the window comes
// back in window) and WindowRegister (v0 = the window's grid, r1 = a text naming the grid type).
std::int32_t XuiWindow(std::int32_t& window, std::int32_t& message, std::int32_t& v0,
                       std::int32_t& v1, std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,
                       std::int32_t& r1);
// Kids: Create with x, y, width, height in v0..v3, r0 = window, r1 = parent grid; the kid comes
// back in grid. Every other message is the kid's own processing.
std::int32_t XuiPushButton(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                           std::int32_t& v1, std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,
                           std::int32_t& r1);
std::int32_t XuiToggleButton(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                             std::int32_t& v1, std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,
                             std::int32_t& r1);
std::int32_t XuiScrollBarH(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                           std::int32_t& v1, std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,
                           std::int32_t& r1);
std::int32_t XuiScrollBarV(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                           std::int32_t& v1, std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,
                           std::int32_t& r1);

// A one-line text field. It takes the keyboard focus of its window. Every edit by the user sends
// TextModified to the callback; Up, Down, Page Up, Page Down, Enter and Escape send KeyDown
// (v0 = the key) instead of moving the cursor. GetTextString gives back in r1 a new text, which the
// caller releases, holding what the field shows in the program's single-byte form: characters
// beyond one byte are folded (the micro and Greek mu signs to the micro sign 0xE6, dashes and
// the minus sign to '-') or become '?'. SetTextString replaces the field's text.
std::int32_t XuiTextLine(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                         std::int32_t& v1, std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,
                         std::int32_t& r1);
// A list of one-line rows, painted, never taking the focus. SetTextArray: r1 = a text of rows
// separated by '\n' (single-byte texts as everywhere; in a row, byte 0x85 shows as an ellipsis).
// SetValue v0 = the highlighted row from 0, -1 for none. A click on a row sends Selection with
// v0 = the row and v3 = 1.
std::int32_t XuiList(std::int32_t& grid, std::int32_t& message, std::int32_t& v0, std::int32_t& v1,
                     std::int32_t& v2, std::int32_t& v3, std::int32_t& r0, std::int32_t& r1);

// Sent to any grid, ResizeWindow moves the window holding it so that its frame stands at v0, v1
// (the position GetWindowSize reports); windows keep their fixed size.

// The same calls with plain values, for call sites that hand over constants.
std::int32_t XuiCall(GridFunction function, std::int32_t grid, std::int32_t message,
                     std::int32_t v0 = 0, std::int32_t v1 = 0, std::int32_t v2 = 0,
                     std::int32_t v3 = 0, std::int32_t r0 = 0, std::int32_t r1 = 0);
inline std::int32_t XuiSend(std::int32_t grid, std::int32_t message, std::int32_t v0 = 0,
                            std::int32_t v1 = 0, std::int32_t v2 = 0, std::int32_t v3 = 0,
                            std::int32_t r0 = 0, std::int32_t r1 = 0) {
    return XuiCall(XuiSendMessage, grid, message, v0, v1, v2, v3, r0, r1);
}

// Creates a window grid in a window (parent 0) or a grid inside another grid; the grid gets
// function as its grid function. v0..v3 may be adjusted and come back.
void XuiCreateGrid(std::int32_t& grid, std::int32_t gridType, std::int32_t& x, std::int32_t& y,
                   std::int32_t& width, std::int32_t& height, std::int32_t window,
                   std::int32_t parent, GridFunction function);

// ---- Windows on the screens ----------------------------------------------------------------
// A window larger than its screen's available area is shown at most that large and scrolls over
// its grid, which keeps its size. (Qt's offscreen platform without a screen configuration has no
// display to fit: there every window keeps its design geometry.)

// The size a window of the given design size at (x, y) is shown at, scroll bars included.
void XuiFitWindowSize(std::int32_t x, std::int32_t y, std::int32_t& width, std::int32_t& height);
// Whether a window shown at (x, y) with this size leaves a part of at least 100 x 50 pixels of its
// top 100 rows on one screen, so that it can be seen and its frame grabbed.
bool XuiWindowReachable(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);
// Moves (x, y) the least so that a window of this size lies on its screen's available area.
void XuiKeepWindowOnScreen(std::int32_t& x, std::int32_t& y, std::int32_t width,
                           std::int32_t height);

// Shows a warning in a small window of its own over the window holding grid; it does not wait
// for the user, so the message loop goes on.
void XuiShowWarning(std::int32_t grid, std::string_view title, std::string_view text);

// ---- Handing things to the desktop -------------------------------------------------------

// Asks the user where to save a file, in the platform's save dialog over the window holding grid:
// the dialog's title, the proposed path (its folder and name), and the kind of file, named for the
// user ("PNG picture") with its extension ("png"), which a name typed without one gets. The dialog
// asks before it lets the user pick a file that exists. It is modal: the call returns once the
// user has chosen, with the path in the file system's bytes, or nullopt when the user cancelled.
// Input for other windows meanwhile is held back; what arrives is queued as usual.
std::optional<std::string> XuiChooseSaveFile(std::int32_t grid, std::string_view title,
                                             const std::string& proposedPath,
                                             std::string_view typeName, std::string_view extension);
// Puts a single-byte text on the desktop's clipboard, where the program keeps it until something
// else is copied.
void XuiSetClipboardText(std::string_view text);
// A rectangle of the picture that drawing on grid shows (its buffer) as the bytes of a PNG file,
// pixel for pixel; empty when the grid has no buffer or the rectangle does not lie inside it.
std::vector<std::uint8_t> XgrEncodeGridPng(std::int32_t grid, std::int32_t x, std::int32_t y,
                                           std::int32_t width, std::int32_t height);

// ---- Queries for tests and tools -----------------------------------------------------------

// The kid numbered kidNumber (from 1) of grid, or 0.
std::int32_t XuiGetKid(std::int32_t grid, std::int32_t kidNumber);
std::int32_t XuiKidCount(std::int32_t grid);
std::int32_t XuiGetKidNumber(std::int32_t grid);
std::int32_t XuiGetWindow(std::int32_t grid);
std::string XuiGetGridName(std::int32_t grid);
std::string XuiGetTextString(std::int32_t grid);
std::string XuiGetHintString(std::int32_t grid);
std::string XuiGetWindowTitle(std::int32_t grid);
bool XuiWindowVisible(std::int32_t grid);
// A toggle's shown state; a scroll bar's four SetPosition values.
bool XuiToggleState(std::int32_t grid);
void XuiGetPosition(std::int32_t grid, std::int32_t& low, std::int32_t& start, std::int32_t& end,
                    std::int32_t& high);
// The geometry of a kid within its parent, or of a window grid within its window.
void XuiGetGridBox(std::int32_t grid, std::int32_t& x, std::int32_t& y, std::int32_t& width,
                   std::int32_t& height);
// The Qt object standing for a grid or a window (QWidget*), for tests that click it. A toggle,
// which its grid paints, is given a widget of its own by this call, which stands for it from then
// on.
void* XuiNativeWidget(std::int32_t grid);
void* XuiNativeWindow(std::int32_t window);

// ---- Grids, buffers and images -------------------------------------------------------------

void XgrCreateWindow(std::int32_t& window, std::int32_t windowType, std::int32_t x, std::int32_t y,
                     std::int32_t width, std::int32_t height, std::int32_t flags,
                     std::int32_t owner);
// Grid type kImageGridType makes an image grid (an image of width x height pixels).
void XgrCreateGrid(std::int32_t& grid, std::int32_t gridType, std::int32_t x, std::int32_t y,
                   std::int32_t width, std::int32_t height, std::int32_t window,
                   std::int32_t parent, GridFunction function);
// From now on drawing on grid paints into the image grid buffer, and grid shows the buffer.
void XgrSetGridBuffer(std::int32_t grid, std::int32_t buffer, std::int32_t x, std::int32_t y);
// A width or height of 0 or less keeps the grid's present size.
void XgrSetGridPositionAndSize(std::int32_t grid, std::int32_t x, std::int32_t y,
                               std::int32_t width, std::int32_t height);
void XgrClearGrid(std::int32_t grid, std::int32_t colour);
void XgrSetBackgroundColor(std::int32_t grid, std::int32_t colour);

// Decodes an image file held in memory (BMP, PNG); 0 when the bytes are no image.
void XgrLoadImage(std::span<const std::uint8_t> fileBytes, std::int32_t& image);
void XgrReleaseImage(std::int32_t image);
// Gives an image grid a copy of the image.
void XgrSetImage(std::int32_t grid, std::int32_t image);
// Writes the picture that drawing on grid shows (its buffer) to a PNG file; for tests and tools.
bool XgrSaveGridImage(std::int32_t grid, const std::string& path);

// ---- Colours -------------------------------------------------------------------------------

// Colours 0..124 are the standard palette: 25 * r + 5 * g + b, levels 0..4 giving 0, 64, 128, 191
// and 255 per channel. Converted colours lie far above it and draw exactly the colour asked for,
// with 8-bit channels round(v / 257) of the 16-bit intensities.
void XgrConvertRGBToColor(std::int32_t red, std::int32_t green, std::int32_t blue,
                          std::int32_t& colour);
std::int32_t XgrRGBColour(std::int32_t red, std::int32_t green, std::int32_t blue);
// 0xRRGGBB of a colour value; black for values that are no colour.
std::uint32_t XgrColourRGB(std::int32_t colour);

// ---- Drawing -------------------------------------------------------------------------------
// All drawing paints into the grid's buffer and is clipped to it; corners of boxes and lines are
// inclusive and may be given in either order.

void XgrFillBox(std::int32_t grid, std::int32_t colour, std::int32_t x1, std::int32_t y1,
                std::int32_t x2, std::int32_t y2);
void XgrDrawLine(std::int32_t grid, std::int32_t colour, std::int32_t x1, std::int32_t y1,
                 std::int32_t x2, std::int32_t y2);
void XgrSetDrawpoint(std::int32_t grid, std::int32_t x, std::int32_t y);
// Single-byte text with its top-left corner at the draw point. Every character advances 8 pixels
// and fits a 10-pixel row; byte 0xE6 shows as the micro sign.
void XgrDrawText(std::int32_t grid, std::int32_t colour, std::string_view text);
// The same on a box in the grid's background colour (its first colour).
void XgrDrawTextFill(std::int32_t grid, std::int32_t colour, std::string_view text);
void XgrDrawImage(std::int32_t grid, std::int32_t image, std::int32_t sourceX, std::int32_t sourceY,
                  std::int32_t width, std::int32_t height, std::int32_t destX, std::int32_t destY);
// The colour at (x, y) of the grid's buffer: 16-bit intensities and a colour value that draws
// exactly that pixel again.
void XgrGrabPoint(std::int32_t grid, std::int32_t x, std::int32_t y, std::int32_t& red,
                  std::int32_t& green, std::int32_t& blue, std::int32_t& colour);

inline constexpr std::int32_t kCharWidth = 8;
inline constexpr std::int32_t kCharHeight = 10;

// ---- Pointer tracking and the readout ------------------------------------------------------

// From now on the window grid also reports the pointer moving with no button held
// (WindowMouseMove with v2 = 0) and leaving it (WindowMouseExit with v0, v1 the last position),
// also into one of its kids; both only while no button is held. Its default processing passes
// the window mouse messages WindowMouseMove, WindowMouseExit and WindowMouseDown on to the grid's
// callback function, wrapped as Callback.
void XuiTrackPointer(std::int32_t grid);

// One row of the readout. Its texts are single-byte like all others; byte 0x85 shows as an
// ellipsis.
struct XuiReadoutRow {
    std::int32_t swatch = -1;        // a colour shown as a small square before the texts; -1: none
    std::int32_t textColour = 124;   // of all its texts
    std::vector<std::string> cells;  // aligned in columns; a row of one text spans them all
    friend bool operator==(const XuiReadoutRow&, const XuiReadoutRow&) = default;
};

// The readout: one small box of rows that floats over every window beside a point of a grid, the
// pointer's. It takes neither focus nor pointer input and is no part of any grid's picture. It
// stands right of and below the point, on the other side where it would pass an edge of the
// screen, and never covers the point's column of the screen while it fits beside it. Showing it
// again moves it and changes its rows; drawing on its grid hides it, since its rows tell of the
// picture it was shown over.
void XuiShowReadout(std::int32_t grid, std::int32_t x, std::int32_t y,
                    std::span<const XuiReadoutRow> rows);
void XuiHideReadout();
// For tests: whether it is shown, where on the screen, and its rows.
bool XuiReadoutVisible();
void XuiGetReadoutBox(std::int32_t& x, std::int32_t& y, std::int32_t& width, std::int32_t& height);
std::vector<XuiReadoutRow> XuiGetReadoutRows();

// ---- Message loop --------------------------------------------------------------------------

// The CEO function sees every message before the grid function of its target.
void XgrSetCEO(GridFunction function);
// Hands at most count queued messages to the program, first to the CEO function, then to the
// grid function of the target grid. With none queued it waits for the window system, using no CPU
// while idle, until a message is queued.
void XgrProcessMessages(std::int32_t count);
// Lets Qt deliver what it has pending (painting, input) without waiting; messages it makes are
// queued, not handed out.
void XgrFlushEvents();
std::int32_t XgrQueuedMessageCount();
// Puts a message at the end of the queue, as the window system would.
void XgrQueueMessage(std::int32_t grid, std::int32_t message, std::int32_t v0, std::int32_t v1,
                     std::int32_t v2, std::int32_t v3, std::int32_t r0, std::int32_t r1);
void XgrDropQueuedMessages();

// Destroys every window, grid, image and text and forgets registered names, so that tests can
// start over in one process.
void XgrResetToolkit();
