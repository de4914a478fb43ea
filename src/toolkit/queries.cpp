// Queries of grids and windows: what the program and the tests read back.

#include "toolkit/toolkit.h"
#include "toolkit/toolkit_internal.h"

using namespace xb;

std::int32_t XuiGetKid(std::int32_t grid, std::int32_t kidNumber) {
    GridRecord* rec = gridRecord(grid);
    if (!rec || kidNumber <= 0 || static_cast<std::size_t>(kidNumber) > rec->kids.size()) return 0;
    return rec->kids[kidNumber - 1];
}

std::int32_t XuiKidCount(std::int32_t grid) {
    GridRecord* rec = gridRecord(grid);
    return rec ? static_cast<std::int32_t>(rec->kids.size()) : 0;
}

std::int32_t XuiGetKidNumber(std::int32_t grid) {
    GridRecord* rec = gridRecord(grid);
    return rec ? rec->kidNumber : 0;
}

std::int32_t XuiGetWindow(std::int32_t grid) {
    GridRecord* rec = gridRecord(grid);
    return rec ? rec->window : 0;
}

std::string XuiGetGridName(std::int32_t grid) {
    GridRecord* rec = gridRecord(grid);
    return rec ? rec->name : std::string();
}

std::string XuiGetTextString(std::int32_t grid) {
    GridRecord* rec = gridRecord(grid);
    return rec ? rec->text : std::string();
}

std::string XuiGetHintString(std::int32_t grid) {
    GridRecord* rec = gridRecord(grid);
    return rec ? rec->hint : std::string();
}

std::string XuiGetWindowTitle(std::int32_t grid) {
    GridRecord* rec = gridRecord(grid);
    WindowRecord* win = rec ? windowRecord(rec->window) : nullptr;
    return win ? win->title : std::string();
}

bool XuiWindowVisible(std::int32_t grid) {
    GridRecord* rec = gridRecord(grid);
    WindowRecord* win = rec ? windowRecord(rec->window) : nullptr;
    return win && win->widget && win->widget->isVisible();
}

bool XuiToggleState(std::int32_t grid) {
    GridRecord* rec = gridRecord(grid);
    return rec && rec->kind == GridKind::Toggle && rec->checked;
}

void XuiGetPosition(std::int32_t grid, std::int32_t& low, std::int32_t& start, std::int32_t& end,
                    std::int32_t& high) {
    GridRecord* rec = gridRecord(grid);
    low = rec ? rec->low : 0;
    start = rec ? rec->start : 0;
    end = rec ? rec->end : 0;
    high = rec ? rec->high : 0;
}

void XuiGetGridBox(std::int32_t grid, std::int32_t& x, std::int32_t& y, std::int32_t& width,
                   std::int32_t& height) {
    GridRecord* rec = gridRecord(grid);
    x = rec ? rec->x : 0;
    y = rec ? rec->y : 0;
    width = rec ? rec->width : 0;
    height = rec ? rec->height : 0;
}

// A painted toggle gets its widget here.
void* XuiNativeWidget(std::int32_t grid) {
    GridRecord* rec = gridRecord(grid);
    if (!rec) return nullptr;
    return rec->kind == GridKind::Toggle ? toggleWidget(grid) : rec->widget.data();
}

void* XuiNativeWindow(std::int32_t window) {
    WindowRecord* rec = windowRecord(window);
    return rec ? rec->widget.data() : nullptr;
}
