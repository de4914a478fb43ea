#include "toolkit/grid_pattern.h"

#include <string>

#include "toolkit/gui_names.h"

namespace quorvanta {

namespace {

constexpr std::int32_t kCanMoveSizeClose = 7;  // the bits 1, 2 and 4
constexpr std::int32_t kFocusKid = 1;

void registerGridType(const GridTypeDescriptor& d, GridTypeState& type, GridFunction self) {
    XuiGetDefaultMessageFuncArray(type.defaults);
    XgrMessageNameToNumber("LastMessage", type.lastMessage);
    const std::size_t size = static_cast<std::size_t>(std::max(type.lastMessage, 0)) + 1;
    type.defaults.resize(size, nullptr);
    auto setDefault = [&](std::int32_t message, GridFunction function) {
        if (message >= 0 && static_cast<std::size_t>(message) < size)
            type.defaults[message] = function;
    };
    setDefault(msg.Callback, XuiCallback);
    if (d.clearDefaultResize) setDefault(msg.Resize, nullptr);

    type.steps.assign(size, GridStep::None);
    auto setStep = [&](std::int32_t message, GridStep step) {
        if (message >= 0 && static_cast<std::size_t>(message) < size) type.steps[message] = step;
    };
    setStep(msg.Create, GridStep::Create);
    setStep(msg.CreateWindow, GridStep::CreateWindow);
    setStep(msg.Redrawn, GridStep::Redrawn);
    setStep(msg.Resize, GridStep::Resize);
    setStep(msg.Selection, GridStep::Selection);

    // A filled entry 0 means that a message used here was never registered.
    const std::string undefined =
        std::string(d.typeName) + "() : Initialize : error ::: (undefined message)";
    if (type.steps[0] != GridStep::None) XstLog(undefined);
    if (type.defaults[0] != nullptr) XstLog(undefined);

    XuiRegisterGridType(type.gridType, d.typeName, self, type.defaults);
    type.registered = true;

    d.designSize(type.width, type.height);
    std::int32_t savedX = -1, savedY = -1, displayWidth = 0, displayHeight = 0;
    d.placement(savedX, savedY, displayWidth, displayHeight);
    windowPosition(savedX, savedY, displayWidth, displayHeight, type.width, type.height,
                   d.centreLift, type.x, type.y);

    XuiSetGridTypeProperty(type.gridType, "x", type.x);
    XuiSetGridTypeProperty(type.gridType, "y", type.y);
    XuiSetGridTypeProperty(type.gridType, "width", type.width);
    XuiSetGridTypeProperty(type.gridType, "height", type.height);
    XuiSetGridTypeProperty(type.gridType, "maxWidth", type.width);
    XuiSetGridTypeProperty(type.gridType, "maxHeight", type.height);
    XuiSetGridTypeProperty(type.gridType, "minWidth", type.width);
    XuiSetGridTypeProperty(type.gridType, "minHeight", type.height);
    XuiSetGridTypeProperty(type.gridType, "can", kCanMoveSizeClose);
    XuiSetGridTypeProperty(type.gridType, "focusKid", kFocusKid);
}

// Attaches a drawing buffer to the grid once, so that its picture survives being covered.
void resizeStep(std::int32_t grid, std::int32_t v2, std::int32_t v3, std::int32_t r0) {
    std::int32_t g = grid, m = msg.GetValues, storedGrid = 0, buffer = 0, u2 = 0, u3 = 0, k = 0,
                 t = 0;
    XuiGetValues(g, m, storedGrid, buffer, u2, u3, k, t);
    if (buffer == 0) {
        std::int32_t self = grid, n = msg.GetGridNumber, number = 0, w2 = 0, w3 = 0, w4 = 0,
                     kid = 0, text = 0;
        XuiSendMessage(self, n, number, w2, w3, w4, kid, text);
        if (number != 0) self = number;
        XgrCreateGrid(buffer, kImageGridType, 0, 0, v2, v3, r0, self, nullptr);
        XgrSetGridBuffer(self, buffer, 0, 0);
        std::int32_t c = self, cm = msg.GetColor, back = 0, draw = 0, low = 0, high = 0, ck = 0,
                     ct = 0;
        XuiGetColor(c, cm, back, draw, low, high, ck, ct);
        XgrClearGrid(self, back);
        XuiCall(XuiSetValues, self, msg.SetValues, self, buffer);
    }
    // The buffer keeps the size it was made with: every window has one fixed size.
    XgrSetGridPositionAndSize(buffer, 0, 0, 0, 0);
}

void createStep(const GridTypeDescriptor& d, const GridTypeState& type, GridFunction self,
                std::int32_t& grid, std::int32_t& v0, std::int32_t& v1, std::int32_t& v2,
                std::int32_t& v3, std::int32_t& r0, std::int32_t& r1) {
    if (v0 <= 0) v0 = 0;
    if (v1 <= 0) v1 = 0;
    if (v2 <= 0) v2 = type.width;
    if (v3 <= 0) v3 = type.height;
    XuiCreateGrid(grid, type.gridType, v0, v1, v2, v3, r0, r1, self);
    const XstText name(d.typeName);
    XuiSend(grid, msg.SetGridName, 0, 0, 0, 0, 0, name.number());
    XuiSend(grid, msg.SetColor, d.colours[0], d.colours[1], d.colours[2], d.colours[3]);
    d.createKids(grid, r0);
    resizeStep(grid, v2, v3, r0);
}

void createWindowStep(const GridTypeDescriptor& d, const GridTypeState& type, GridFunction self,
                      std::int32_t& grid, std::int32_t& v0, std::int32_t& v1, std::int32_t& v2,
                      std::int32_t& v3, std::int32_t& r0, std::int32_t& r1) {
    if (v0 == 0) v0 = type.x;
    if (v1 == 0) v1 = type.y;
    if (v2 <= 0) v2 = type.width;
    if (v3 <= 0) v3 = type.height;
    std::int32_t window = 0;
    std::int32_t create = msg.WindowCreate;
    XuiWindow(window, create, v0, v1, v2, v3, r0, r1);
    const std::int32_t setAside = r1;
    const std::int32_t width = v2, height = v3;
    v0 = 0;
    v1 = 0;
    r0 = window;
    r1 = 0;
    createStep(d, type, self, grid, v0, v1, v2, v3, r0, r1);
    r1 = setAside;
    const XstText typeName(d.typeName);
    std::int32_t reg = msg.WindowRegister, newGrid = grid, minusOne = -1, w = width, h = height,
                 name = typeName.number();
    r0 = window;
    XuiWindow(window, reg, newGrid, minusOne, w, h, r0, name);
}

}  // namespace

void designPosition(std::int32_t savedX, std::int32_t savedY, std::int32_t displayWidth,
                    std::int32_t displayHeight, std::int32_t width, std::int32_t height,
                    std::int32_t centreLift, std::int32_t& x, std::int32_t& y) {
    if (savedX == -1 && savedY == -1) {
        x = displayWidth / 2 - width / 2;
        y = displayHeight / 2 - height / 2 - centreLift;
    } else {
        x = savedX;
        y = savedY;
    }
}

void windowPosition(std::int32_t savedX, std::int32_t savedY, std::int32_t displayWidth,
                    std::int32_t displayHeight, std::int32_t width, std::int32_t height,
                    std::int32_t centreLift, std::int32_t& x, std::int32_t& y) {
    const bool stored = !(savedX == -1 && savedY == -1);
    if (stored) {
        std::int32_t shownWidth = width, shownHeight = height;
        XuiFitWindowSize(savedX, savedY, shownWidth, shownHeight);
        if (XuiWindowReachable(savedX, savedY, shownWidth, shownHeight)) {
            x = savedX;
            y = savedY;
            return;
        }
    }
    // Centred at the size the window is shown at, which a window larger than the display is not.
    std::int32_t shownWidth = width, shownHeight = height;
    XuiFitWindowSize(displayWidth / 2 - width / 2, displayHeight / 2 - height / 2, shownWidth,
                     shownHeight);
    designPosition(-1, -1, displayWidth, displayHeight, shownWidth, shownHeight, centreLift, x, y);
    if (stored) XuiKeepWindowOnScreen(x, y, shownWidth, shownHeight);
}

std::int32_t runGridFunction(const GridTypeDescriptor& d, GridTypeState& type, GridFunction self,
                             std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                             std::int32_t& v1, std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,
                             std::int32_t& r1) {
    if (!type.registered) {
        registerGridType(d, type, self);
        if (message == 0) return 0;
    }
    if (XuiProcessMessage(grid, message, v0, v1, v2, v3, r0, r1, type.gridType) != 0) return 0;
    if (message < 0 || message > type.lastMessage ||
        static_cast<std::size_t>(message) >= type.steps.size())
        return 0;
    switch (type.steps[message]) {
        case GridStep::Create:
            createStep(d, type, self, grid, v0, v1, v2, v3, r0, r1);
            break;
        case GridStep::CreateWindow:
            createWindowStep(d, type, self, grid, v0, v1, v2, v3, r0, r1);
            break;
        case GridStep::Redrawn: {
            std::int32_t m = msg.Redrawn;
            XuiCallback(grid, m, v0, v1, v2, v3, r0, r1);
            break;
        }
        case GridStep::Resize:
            resizeStep(grid, v2, v3, r0);
            break;
        case GridStep::Selection:
        case GridStep::None:
            break;
    }
    return 0;
}

}  // namespace quorvanta
