// The toolkit's registries: its state, message names, texts, function numbers, cursors, icons and
// grid types.

#include <QApplication>
#include <QStyleFactory>
#include <algorithm>

#include "toolkit/toolkit.h"
#include "toolkit/toolkit_internal.h"

namespace xb {

namespace {

constexpr std::array<const char*, static_cast<int>(Known::Count)> kKnownNames = {
    "Callback",        "Change",          "CloseWindow",
    "Create",          "DisplayWindow",   "GetColor",
    "GetGridNumber",   "GetPosition",     "GetValue",
    "GetValues",       "GetWindowSize",   "HideWindow",
    "Initialize",      "MuchLess",        "MuchMore",
    "OneLess",         "OneMore",         "Redrawn",
    "Resize",          "SelectWindow",    "Selection",
    "SetCallback",     "SetColor",        "SetColorExtra",
    "SetFont",         "SetGridName",     "SetGridProperties",
    "SetHintString",   "SetPosition",     "SetStyle",
    "SetTextString",   "SetTexture",      "SetValue",
    "SetValues",       "SetWindowTitle",  "ShowWindow",
    "WindowCreate",    "WindowMouseDown", "WindowMouseMove",
    "WindowMouseUp",   "WindowRegister",  "GetTextString",
    "KeyDown",         "ResizeWindow",    "SetTextArray",
    "TextModified",    "WindowKeyDown",   "WindowMouseWheel",
    "WindowMouseExit", "LastMessage",
};

}  // namespace

State& state() {
    static State instance;
    return instance;
}

void ensureApplication() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "quorvanta";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
    QApplication::setStyle(QStyleFactory::create("Fusion"));
}

std::int32_t known(Known message) {
    return state().known[static_cast<int>(message)];
}

GridRecord* gridRecord(std::int32_t grid) {
    State& s = state();
    if (grid <= 0 || static_cast<std::size_t>(grid) >= s.grids.size()) return nullptr;
    GridRecord& rec = s.grids[grid];
    return rec.alive ? &rec : nullptr;
}

WindowRecord* windowRecord(std::int32_t window) {
    State& s = state();
    if (window <= 0 || static_cast<std::size_t>(window) >= s.windows.size()) return nullptr;
    WindowRecord& rec = s.windows[window];
    return rec.alive ? &rec : nullptr;
}

void queueMessage(std::int32_t grid, std::int32_t message, std::int32_t v0, std::int32_t v1,
                  std::int32_t v2, std::int32_t v3, std::int32_t r0, std::int32_t r1) {
    if (message == 0) return;  // never registered: nobody could tell it apart
    state().queue.push_back({grid, message, v0, v1, v2, v3, r0, r1});
}

}  // namespace xb

using namespace xb;

// ---- Texts and functions -------------------------------------------------------------------

std::int32_t XstCreateText(std::string_view text) {
    State& s = state();
    const std::int32_t number = s.nextText++;
    s.texts.emplace(number, std::string(text));
    return number;
}

std::string XstGetText(std::int32_t text) {
    const auto& texts = state().texts;
    auto found = texts.find(text);
    return found == texts.end() ? std::string() : found->second;
}

void XstReleaseText(std::int32_t text) {
    state().texts.erase(text);
}

std::int32_t XuiFunctionNumber(GridFunction function) {
    if (!function) return 0;
    auto& functions = state().functions;
    auto found = std::find(functions.begin() + 1, functions.end(), function);
    if (found != functions.end()) return static_cast<std::int32_t>(found - functions.begin());
    functions.push_back(function);
    return static_cast<std::int32_t>(functions.size() - 1);
}

GridFunction XuiFunctionAt(std::int32_t number) {
    const auto& functions = state().functions;
    if (number <= 0 || static_cast<std::size_t>(number) >= functions.size()) return nullptr;
    return functions[number];
}

// ---- Message names -------------------------------------------------------------------------

void XgrRegisterMessage(std::string_view name, std::int32_t& message) {
    State& s = state();
    std::string key(name);
    auto found = s.messageNumbers.find(key);
    if (found != s.messageNumbers.end()) {
        message = found->second;
        return;
    }
    message = static_cast<std::int32_t>(s.messageNames.size());
    s.messageNames.push_back(key);
    s.messageNumbers.emplace(key, message);
    for (std::size_t i = 0; i < kKnownNames.size(); ++i)
        if (key == kKnownNames[i]) s.known[i] = message;
}

void XgrMessageNameToNumber(std::string_view name, std::int32_t& message) {
    const auto& numbers = state().messageNumbers;
    auto found = numbers.find(std::string(name));
    message = found == numbers.end() ? 0 : found->second;
}

std::string XgrMessageNumberToName(std::int32_t message) {
    const auto& names = state().messageNames;
    if (message <= 0 || static_cast<std::size_t>(message) >= names.size()) return {};
    return names[message];
}

void XgrRegisterCursor(std::string_view name, std::int32_t& cursor) {
    auto& cursors = state().cursors;
    auto [it, added] =
        cursors.emplace(std::string(name), static_cast<std::int32_t>(cursors.size() + 1));
    cursor = it->second;
}

void XgrRegisterIcon(std::string_view name, std::int32_t& icon) {
    auto& icons = state().icons;
    auto [it, added] =
        icons.emplace(std::string(name), static_cast<std::int32_t>(icons.size() + 1));
    icon = it->second;
}

// ---- Grid types ----------------------------------------------------------------------------

void XuiGetDefaultMessageFuncArray(std::vector<GridFunction>& functions) {
    std::int32_t last = known(Known::LastMessage);
    if (last <= 0) last = static_cast<std::int32_t>(state().messageNames.size()) - 1;
    functions.assign(static_cast<std::size_t>(std::max(last, 0)) + 1, nullptr);
    // Messages the grid function's own steps handle get no default processing.
    for (std::size_t i = 0; i < kKnownNames.size(); ++i) {
        const auto name = static_cast<Known>(i);
        const std::int32_t number = state().known[i];
        if (number <= 0 || number > last) continue;
        switch (name) {
            case Known::Create:
            case Known::Redrawn:
            case Known::Selection:
            case Known::LastMessage:
            case Known::WindowCreate:
            case Known::WindowRegister:
            case Known::WindowMouseUp:
                break;
            case Known::WindowMouseDown:
            case Known::WindowMouseExit:
            case Known::WindowMouseMove:
                functions[number] = pointerProcess;
                break;
            default:
                functions[number] = commonProcess;
        }
    }
}

void XuiRegisterGridType(std::int32_t& gridType, std::string_view name, GridFunction function,
                         const std::vector<GridFunction>& defaults) {
    State& s = state();
    GridTypeRecord rec;
    rec.name = std::string(name);
    rec.function = function;
    rec.defaults = defaults;
    s.gridTypes.push_back(std::move(rec));
    gridType = static_cast<std::int32_t>(s.gridTypes.size() - 1);
}

void XuiSetGridTypeProperty(std::int32_t gridType, std::string_view property, std::int32_t value) {
    State& s = state();
    if (gridType <= 0 || static_cast<std::size_t>(gridType) >= s.gridTypes.size()) return;
    s.gridTypes[gridType].properties[std::string(property)] = value;
}

std::int32_t XuiGetGridTypeProperty(std::int32_t gridType, std::string_view property) {
    State& s = state();
    if (gridType <= 0 || static_cast<std::size_t>(gridType) >= s.gridTypes.size()) return 0;
    const auto& properties = s.gridTypes[gridType].properties;
    auto found = properties.find(property);
    return found == properties.end() ? 0 : found->second;
}

std::int32_t XuiProcessMessage(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                               std::int32_t& v1, std::int32_t& v2, std::int32_t& v3,
                               std::int32_t& r0, std::int32_t& r1, std::int32_t gridType) {
    State& s = state();
    if (gridType <= 0 || static_cast<std::size_t>(gridType) >= s.gridTypes.size()) return 0;
    const auto& defaults = s.gridTypes[gridType].defaults;
    if (message < 0 || static_cast<std::size_t>(message) >= defaults.size()) return 0;
    GridFunction function = defaults[message];
    return function ? function(grid, message, v0, v1, v2, v3, r0, r1) : 0;
}
