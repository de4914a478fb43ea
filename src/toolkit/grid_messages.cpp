// What grids do with the messages the toolkit knows: the default processing of window grids, the
// kids' own, callbacks, and the message wrappers the program calls.

#include <QAbstractButton>
#include <QGuiApplication>
#include <QScrollBar>
#include <algorithm>

#include "toolkit/toolkit.h"
#include "toolkit/toolkit_internal.h"
#include "toolkit/widgets.h"

namespace xb {

namespace {

// Font size values are given in twentieths of a pixel.
constexpr int kFontSizeUnitsPerPixel = 20;

void applyButtonLook(GridRecord& rec) {
    if (isPaintedToggle(rec)) {
        auto& looks = state().paintedLooks;
        auto found = looks.find(rec.colourExtra);
        if (found == looks.end()) {
            QPalette roles;
            setButtonRoles(roles, rec.colourExtra);
            found = looks.emplace(rec.colourExtra, roles).first;
        }
        rec.look = &found->second;
        repaintToggle(rec);
        return;
    }
    auto* button = qobject_cast<QAbstractButton*>(rec.widget.data());
    if (!button) return;
    auto& looks = state().buttonLooks;
    const auto key = std::make_pair(button->palette().cacheKey(), rec.colourExtra);
    if (const auto found = looks.find(key); found != looks.end()) {
        button->setPalette(found->second);
        return;
    }
    QPalette palette = button->palette();
    setButtonRoles(palette, rec.colourExtra);
    button->setPalette(palette);
    looks.emplace(key, palette);
}

void applyScrollPosition(GridRecord& rec) {
    auto* bar = qobject_cast<QScrollBar*>(rec.widget.data());
    if (!bar) return;
    // The thumb covers start..end of low..high; Qt's value is the thumb's start.
    const std::int64_t page = std::max<std::int64_t>(0, std::int64_t{rec.end} - rec.start);
    const std::int64_t maximum = std::max<std::int64_t>(rec.low, std::int64_t{rec.high} - page);
    QSignalBlocker blocker(bar);
    bar->setRange(rec.low, static_cast<int>(maximum));
    bar->setPageStep(static_cast<int>(std::clamp<std::int64_t>(page, 1, INT32_MAX)));
    bar->setSingleStep(1);
    bar->setValue(rec.start);
}

// Offscreen has no stacking order to change (and says so on every call).
void raiseWindow(QWidget* top) {
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) top->raise();
}

void windowOperation(std::int32_t grid, Known operation, std::int32_t& v0, std::int32_t& v1,
                     std::int32_t& v2, std::int32_t& v3, std::int32_t r1) {
    GridRecord* rec = gridRecord(grid);
    if (!rec) return;
    WindowRecord* win = windowRecord(rec->window);
    if (!win || !win->widget) return;
    QWidget* top = win->widget;
    switch (operation) {
        case Known::ShowWindow:
        case Known::DisplayWindow:
            if (top->isMinimized()) top->showNormal();
            top->show();
            raiseWindow(top);
            break;
        case Known::HideWindow:
            top->hide();
            break;
        case Known::SelectWindow:
            raiseWindow(top);
            if (QGuiApplication::platformName() != QLatin1String("offscreen"))
                top->activateWindow();
            break;
        case Known::SetWindowTitle:
            win->title = XstGetText(r1);
            top->setWindowTitle(latin1(win->title));
            break;
        case Known::ResizeWindow:
            top->move(v0, v1);
            break;
        case Known::GetWindowSize:
            // Frame position and client size: moving the window to (v0, v1) puts it back here.
            v0 = top->x();
            v1 = top->y();
            v2 = top->width();
            v3 = top->height();
            break;
        default:
            break;
    }
}

void forwardToCallback(std::int32_t grid, std::int32_t message, std::int32_t v0, std::int32_t v1,
                       std::int32_t v2, std::int32_t v3) {
    GridRecord* rec = gridRecord(grid);
    if (!rec || rec->callbackFunction == 0) return;
    GridFunction function = XuiFunctionAt(rec->callbackFunction);
    if (!function) return;
    std::int32_t target = rec->callbackGrid;
    std::int32_t wrapped = known(Known::Callback);
    std::int32_t kid = rec->callbackKid;
    std::int32_t inner = message;
    function(target, wrapped, v0, v1, v2, v3, kid, inner);
}

}  // namespace

bool isMessage(std::int32_t message, Known name) {
    return message != 0 && message == known(name);
}

QString latin1(const std::string& text) {
    QString result;
    result.reserve(static_cast<int>(text.size()));
    for (unsigned char c : text)
        result.append(c == 0xE6 ? QChar(0x00B5) : QChar(c));
    return result;
}

QColor qcolour(std::int32_t colour) {
    return QColor::fromRgb(rgbOf(colour));
}

// What every grid does with the messages the toolkit knows, whether a window grid (through its
// default-processing table) or a kid (through its own function).
std::int32_t commonProcess(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                           std::int32_t& v1, std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,
                           std::int32_t& r1) {
    GridRecord* rec = gridRecord(grid);
    if (!rec || message == 0) return 0;
    const std::int32_t m = message;
    auto is = [m](Known name) { return isMessage(m, name); };
    if (is(Known::SetCallback)) {
        rec->callbackGrid = v0;
        rec->callbackFunction = v1;
        rec->callbackKid = r0;
    } else if (is(Known::SetGridName)) {
        rec->name = XstGetText(r1);
    } else if (is(Known::SetColor)) {
        rec->colours = {v0, v1, v2, v3};
    } else if (is(Known::GetColor)) {
        v0 = rec->colours[0];
        v1 = rec->colours[1];
        v2 = rec->colours[2];
        v3 = rec->colours[3];
    } else if (is(Known::SetColorExtra)) {
        rec->colourExtra = {v0, v1, v2, v3};
        applyButtonLook(*rec);
    } else if (is(Known::SetFont)) {
        if ((rec->widget || isPaintedToggle(*rec)) && rec->kind != GridKind::WindowGrid) {
            auto& fonts = state().fonts;
            const auto key = std::make_tuple(
                XstGetText(r1), std::clamp(v0 / kFontSizeUnitsPerPixel, 6, 48), v1 >= 600);
            auto found = fonts.find(key);
            if (found == fonts.end()) {
                QFont font(latin1(std::get<0>(key)));
                font.setPixelSize(std::get<1>(key));
                font.setWeight(std::get<2>(key) ? QFont::Bold : QFont::Normal);
                found = fonts.emplace(key, font).first;
            }
            rec->font = &found->second;
            if (rec->widget)
                rec->widget->setFont(found->second);
            else
                repaintToggle(*rec);
        }
    } else if (is(Known::SetTexture)) {
        rec->texture = v0;
    } else if (is(Known::SetStyle)) {
        rec->style = v0;
    } else if (is(Known::SetTextString)) {
        rec->text = XstGetText(r1);
        // A medium's name may hold '&', which a button would take for a shortcut mark.
        if (auto* button = qobject_cast<QAbstractButton*>(rec->widget.data()))
            button->setText(latin1(rec->text).replace(QLatin1Char('&'), QLatin1String("&&")));
        else if (auto* field = dynamic_cast<TextLineWidget*>(rec->widget.data()))
            field->setText(latin1(rec->text));
        else if (isPaintedToggle(*rec))
            repaintToggle(*rec);
    } else if (is(Known::GetTextString)) {
        r1 = XstCreateText(rec->text);
    } else if (is(Known::SetTextArray)) {
        rec->text = XstGetText(r1);
        if (auto* list = dynamic_cast<ListWidget*>(rec->widget.data())) list->setRows(rec->text);
    } else if (is(Known::SetHintString)) {
        rec->hint = XstGetText(r1);
        if (rec->widget) rec->widget->setToolTip(latin1(rec->hint));
    } else if (is(Known::SetValue)) {
        if (auto* list = dynamic_cast<ListWidget*>(rec->widget.data())) list->setHighlight(v0);
        if (rec->kind == GridKind::Toggle) setToggleChecked(grid, v0 != 0);
        rec->values[0] = v0;
    } else if (is(Known::GetValue)) {
        if (auto* list = dynamic_cast<ListWidget*>(rec->widget.data()))
            v0 = list->highlight();
        else if (rec->kind == GridKind::Toggle)
            v0 = rec->checked ? -1 : 0;
        else
            v0 = rec->values[0];
    } else if (is(Known::SetValues)) {
        rec->values = {v0, v1};
    } else if (is(Known::GetValues)) {
        v0 = rec->values[0];
        v1 = rec->values[1];
    } else if (is(Known::GetGridNumber)) {
        v0 = grid;
    } else if (is(Known::SetPosition)) {
        rec->low = v0;
        rec->start = v1;
        rec->end = v2;
        rec->high = v3;
        applyScrollPosition(*rec);
    } else if (is(Known::GetPosition)) {
        v0 = rec->low;
        v1 = rec->start;
        v2 = rec->end;
        v3 = rec->high;
    } else if (is(Known::ShowWindow) || is(Known::DisplayWindow) || is(Known::HideWindow) ||
               is(Known::SelectWindow) || is(Known::SetWindowTitle) || is(Known::GetWindowSize) ||
               is(Known::ResizeWindow)) {
        Known operation = Known::ShowWindow;
        for (Known k :
             {Known::ShowWindow, Known::DisplayWindow, Known::HideWindow, Known::SelectWindow,
              Known::SetWindowTitle, Known::GetWindowSize, Known::ResizeWindow})
            if (is(k)) operation = k;
        windowOperation(grid, operation, v0, v1, v2, v3, r1);
    } else if (is(Known::CloseWindow) || is(Known::WindowKeyDown) || is(Known::WindowMouseWheel)) {
        forwardToCallback(grid, m, v0, v1, v2, v3);
    } else if (is(Known::Callback)) {
        return XuiCallback(grid, message, v0, v1, v2, v3, r0, r1);
    } else if (is(Known::Resize)) {
        if (v2 > 0 && v3 > 0 && rec->kind != GridKind::WindowGrid &&
            (rec->widget || isPaintedToggle(*rec))) {
            if (rec->widget) rec->widget->setGeometry(v0, v1, v2, v3);
            rec->x = v0, rec->y = v1, rec->width = v2, rec->height = v3;
            if (!rec->widget) repaintToggle(*rec);
        }
    }
    return 0;
}

// Selection of buttons and the scroll bars' own messages go on to the kid's callback.
std::int32_t kidProcess(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                        std::int32_t& v1, std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,
                        std::int32_t& r1) {
    for (Known k : {Known::Selection, Known::Change, Known::OneLess, Known::OneMore,
                    Known::MuchLess, Known::MuchMore, Known::TextModified, Known::KeyDown}) {
        if (isMessage(message, k)) {
            forwardToCallback(grid, message, v0, v1, v2, v3);
            return 0;
        }
    }
    return commonProcess(grid, message, v0, v1, v2, v3, r0, r1);
}

}  // namespace xb

using namespace xb;

std::int32_t XuiSendMessage(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                            std::int32_t& v1, std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,
                            std::int32_t& r1) {
    std::int32_t target = grid;
    if (r0 > 0) {
        if (std::int32_t kid = XuiGetKid(grid, r0)) target = kid;
    }
    GridRecord* rec = gridRecord(target);
    if (!rec) return 0;
    if (!rec->function) return commonProcess(target, message, v0, v1, v2, v3, r0, r1);
    return rec->function(target, message, v0, v1, v2, v3, r0, r1);
}

std::int32_t XuiCallback(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                         std::int32_t& v1, std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,
                         std::int32_t& r1) {
    GridRecord* rec = gridRecord(grid);
    if (!rec || rec->callbackFunction == 0) return 0;
    GridFunction function = XuiFunctionAt(rec->callbackFunction);
    if (!function) return 0;
    std::int32_t target = rec->callbackGrid;
    std::int32_t wrapped = message;
    std::int32_t kid = r0;
    std::int32_t inner = r1;
    if (!isMessage(message, Known::Callback)) {
        wrapped = known(Known::Callback);
        kid = rec->kidNumber;
        inner = message;
    }
    std::int32_t a0 = v0, a1 = v1, a2 = v2, a3 = v3;
    return function(target, wrapped, a0, a1, a2, a3, kid, inner);
}

#define XB_WITH_MESSAGE(function, name)                                                          \
    std::int32_t function(std::int32_t& grid, std::int32_t&, std::int32_t& v0, std::int32_t& v1, \
                          std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,                  \
                          std::int32_t& r1) {                                                    \
        std::int32_t message = known(Known::name);                                               \
        return commonProcess(grid, message, v0, v1, v2, v3, r0, r1);                             \
    }

XB_WITH_MESSAGE(XuiSetValue, SetValue)
XB_WITH_MESSAGE(XuiGetValues, GetValues)
XB_WITH_MESSAGE(XuiSetValues, SetValues)
XB_WITH_MESSAGE(XuiGetColor, GetColor)
XB_WITH_MESSAGE(XuiSetWindowTitle, SetWindowTitle)
XB_WITH_MESSAGE(XuiGetWindowSize, GetWindowSize)
XB_WITH_MESSAGE(XuiShowWindow, ShowWindow)
XB_WITH_MESSAGE(XuiHideWindow, HideWindow)
XB_WITH_MESSAGE(XuiSelectWindow, SelectWindow)

#undef XB_WITH_MESSAGE

std::int32_t XuiCall(GridFunction function, std::int32_t grid, std::int32_t message,
                     std::int32_t v0, std::int32_t v1, std::int32_t v2, std::int32_t v3,
                     std::int32_t r0, std::int32_t r1) {
    return function ? function(grid, message, v0, v1, v2, v3, r0, r1) : 0;
}
