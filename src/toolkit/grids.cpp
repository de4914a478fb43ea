// Creating windows, grids and kids, and placing them.

#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <algorithm>

#include "toolkit/toolkit.h"
#include "toolkit/toolkit_internal.h"
#include "toolkit/widgets.h"

namespace xb {

namespace {

std::int32_t newGrid(GridKind kind) {
    State& s = state();
    s.grids.emplace_back();
    GridRecord& rec = s.grids.back();
    rec.alive = true;
    rec.kind = kind;
    return static_cast<std::int32_t>(s.grids.size() - 1);
}

void queueScrollMessage(std::int32_t grid, Known message) {
    GridRecord* rec = gridRecord(grid);
    auto* bar = rec ? qobject_cast<QScrollBar*>(rec->widget.data()) : nullptr;
    if (!bar) return;
    const std::int32_t start = bar->sliderPosition();
    const std::int32_t page = bar->pageStep();
    const std::int32_t high = bar->maximum() + page;
    queueMessage(grid, known(message), bar->minimum(), start, start + page, high, 0, 0);
}

// Creates a kid of the given kind inside its parent grid: x, y, width, height in v0..v3,
// r0 = window, r1 = parent grid.
std::int32_t createKid(GridKind kind, GridFunction function, std::int32_t v0, std::int32_t v1,
                       std::int32_t v2, std::int32_t v3, std::int32_t window, std::int32_t parent) {
    ensureApplication();
    GridRecord* parentRec = gridRecord(parent);
    if (!parentRec || !parentRec->widget) return 0;
    // Making the record may move every record: keep what is needed of the parent first.
    QWidget* host = parentRec->widget;
    const std::int32_t parentWindow = parentRec->window;
    parentRec = nullptr;
    const std::int32_t grid = newGrid(kind);
    GridRecord& rec = state().grids[grid];
    rec.window = window != 0 ? window : parentWindow;
    rec.parent = parent;
    rec.function = function;
    rec.x = v0, rec.y = v1, rec.width = std::max(v2, 1), rec.height = std::max(v3, 1);
    QWidget* widget = nullptr;
    if (kind == GridKind::Toggle) {
        // Painted by its grid until a widget is asked for.
        repaintToggle(rec);
    } else if (kind == GridKind::PushButton) {
        auto* button = new QPushButton(host);
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoFillBackground(true);
        QObject::connect(button, &QPushButton::clicked, [grid](bool checked) {
            queueMessage(grid, known(Known::Selection), checked ? -1 : 0, 0, 0, 1, 0, 0);
        });
        widget = button;
    } else if (kind == GridKind::TextLine) {
        auto* field = new TextLineWidget(grid, host);
        field->setFocus();
        widget = field;
    } else if (kind == GridKind::List) {
        widget = new ListWidget(grid, host);
    } else {
        auto* bar = new QScrollBar(kind == GridKind::ScrollH ? Qt::Horizontal : Qt::Vertical, host);
        bar->setFocusPolicy(Qt::NoFocus);
        // Qt's menu ("Scroll here", "Left edge", ...) moves the thumb without an action we report.
        bar->setContextMenuPolicy(Qt::PreventContextMenu);
        QObject::connect(bar, &QScrollBar::actionTriggered, [grid](int action) {
            switch (action) {
                case QAbstractSlider::SliderSingleStepAdd:
                    queueScrollMessage(grid, Known::OneMore);
                    break;
                case QAbstractSlider::SliderSingleStepSub:
                    queueScrollMessage(grid, Known::OneLess);
                    break;
                case QAbstractSlider::SliderPageStepAdd:
                    queueScrollMessage(grid, Known::MuchMore);
                    break;
                case QAbstractSlider::SliderPageStepSub:
                    queueScrollMessage(grid, Known::MuchLess);
                    break;
                case QAbstractSlider::SliderMove:
                    queueScrollMessage(grid, Known::Change);
                    break;
                default:
                    break;
            }
        });
        widget = bar;
    }
    if (widget) {
        widget->setGeometry(rec.x, rec.y, rec.width, rec.height);
        widget->show();
        rec.widget = widget;
    }
    parentRec = gridRecord(parent);
    parentRec->kids.push_back(grid);
    rec.kidNumber = static_cast<std::int32_t>(parentRec->kids.size());
    return grid;
}

std::int32_t kidFunction(GridKind kind, GridFunction self, std::int32_t& grid,
                         std::int32_t& message, std::int32_t& v0, std::int32_t& v1,
                         std::int32_t& v2, std::int32_t& v3, std::int32_t& r0, std::int32_t& r1) {
    if (isMessage(message, Known::Create)) {
        grid = createKid(kind, self, v0, v1, v2, v3, r0, r1);
        return 0;
    }
    return kidProcess(grid, message, v0, v1, v2, v3, r0, r1);
}

// A hidden top-level window of fixed size at (x, y); its number. A window larger than its screen
// is shown smaller, with a viewport that its window grid will scroll in.
std::int32_t createTopWindow(std::int32_t x, std::int32_t y, std::int32_t width,
                             std::int32_t height) {
    ensureApplication();
    State& s = state();
    s.windows.emplace_back();
    const auto window = static_cast<std::int32_t>(s.windows.size() - 1);
    WindowRecord& rec = s.windows.back();
    rec.alive = true;
    auto* top = new TopWindow(window);
    const QSize design(std::max(width, 1), std::max(height, 1));
    const QSize shown = shownWindowSize(x, y, width, height);
    top->setFixedSize(shown);
    top->move(x, y);
    rec.widget = top;
    if (shown != design) rec.viewport = makeGridViewport(top);
    return window;
}

}  // namespace

}  // namespace xb

using namespace xb;

std::int32_t XuiWindow(std::int32_t& window, std::int32_t& message, std::int32_t& v0,
                       std::int32_t& v1, std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,
                       std::int32_t& r1) {
    if (isMessage(message, Known::WindowCreate)) {
        window = createTopWindow(v0, v1, v2, v3);
        r1 = 0;
    } else if (isMessage(message, Known::WindowRegister)) {
        if (WindowRecord* rec = windowRecord(window)) {
            rec->grid = v0;
            rec->typeName = XstGetText(r1);
        }
        r0 = 0;
    }
    return 0;
}

std::int32_t XuiPushButton(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                           std::int32_t& v1, std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,
                           std::int32_t& r1) {
    return kidFunction(GridKind::PushButton, XuiPushButton, grid, message, v0, v1, v2, v3, r0, r1);
}

std::int32_t XuiToggleButton(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                             std::int32_t& v1, std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,
                             std::int32_t& r1) {
    return kidFunction(GridKind::Toggle, XuiToggleButton, grid, message, v0, v1, v2, v3, r0, r1);
}

std::int32_t XuiScrollBarH(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                           std::int32_t& v1, std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,
                           std::int32_t& r1) {
    return kidFunction(GridKind::ScrollH, XuiScrollBarH, grid, message, v0, v1, v2, v3, r0, r1);
}

std::int32_t XuiScrollBarV(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                           std::int32_t& v1, std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,
                           std::int32_t& r1) {
    return kidFunction(GridKind::ScrollV, XuiScrollBarV, grid, message, v0, v1, v2, v3, r0, r1);
}

std::int32_t XuiTextLine(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                         std::int32_t& v1, std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,
                         std::int32_t& r1) {
    return kidFunction(GridKind::TextLine, XuiTextLine, grid, message, v0, v1, v2, v3, r0, r1);
}

std::int32_t XuiList(std::int32_t& grid, std::int32_t& message, std::int32_t& v0, std::int32_t& v1,
                     std::int32_t& v2, std::int32_t& v3, std::int32_t& r0, std::int32_t& r1) {
    return kidFunction(GridKind::List, XuiList, grid, message, v0, v1, v2, v3, r0, r1);
}

void XuiCreateGrid(std::int32_t& grid, std::int32_t gridType, std::int32_t& x, std::int32_t& y,
                   std::int32_t& width, std::int32_t& height, std::int32_t window,
                   std::int32_t parent, GridFunction function) {
    ensureApplication();
    QWidget* host = nullptr;
    if (GridRecord* parentRec = gridRecord(parent))
        host = parentRec->widget;
    else if (WindowRecord* win = windowRecord(window))
        host = win->widget;
    if (!host) {
        grid = 0;
        return;
    }
    grid = newGrid(GridKind::WindowGrid);
    GridRecord& rec = state().grids[grid];
    rec.type = gridType;
    rec.window = window;
    rec.parent = parent;
    rec.function = function;
    width = std::max(width, 1);
    height = std::max(height, 1);
    rec.x = x, rec.y = y, rec.width = width, rec.height = height;
    auto* widget = new GridWidget(grid, host);
    widget->setGeometry(x, y, width, height);
    widget->show();
    rec.widget = widget;
    if (WindowRecord* win = windowRecord(window); win && win->grid == 0) {
        win->grid = grid;
        if (win->viewport && parent == 0) win->viewport->setWidget(widget);
    }
    if (GridRecord* parentRec = gridRecord(parent)) {
        parentRec->kids.push_back(grid);
        state().grids[grid].kidNumber = static_cast<std::int32_t>(parentRec->kids.size());
    }
}

void XuiShowWarning(std::int32_t grid, std::string_view title, std::string_view text) {
    ensureApplication();
    GridRecord* rec = gridRecord(grid);
    WindowRecord* win = rec ? windowRecord(rec->window) : nullptr;
    QWidget* parent = win ? win->widget.data() : nullptr;
    auto* box = new QMessageBox(QMessageBox::Warning, latin1(std::string(title)),
                                latin1(std::string(text)), QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

// ---- Windows and grids of the drawing layer ------------------------------------------------

// Works before the message names are registered too.
void XgrCreateWindow(std::int32_t& window, std::int32_t, std::int32_t x, std::int32_t y,
                     std::int32_t width, std::int32_t height, std::int32_t, std::int32_t) {
    window = createTopWindow(x, y, width, height);
}

void XgrCreateGrid(std::int32_t& grid, std::int32_t gridType, std::int32_t x, std::int32_t y,
                   std::int32_t width, std::int32_t height, std::int32_t window,
                   std::int32_t parent, GridFunction function) {
    if (gridType != kImageGridType) {
        XuiCreateGrid(grid, gridType, x, y, width, height, window, parent, function);
        return;
    }
    grid = newGrid(GridKind::Image);
    GridRecord& rec = state().grids[grid];
    rec.type = gridType;
    rec.window = window;
    rec.parent = parent;
    rec.function = function;
    rec.x = x, rec.y = y;
    rec.width = std::clamp(width, 1, 16384);
    rec.height = std::clamp(height, 1, 16384);
    rec.blank = qRgb(0, 0, 0);
}

void XgrSetGridBuffer(std::int32_t grid, std::int32_t buffer, std::int32_t, std::int32_t) {
    GridRecord* rec = gridRecord(grid);
    GridRecord* image = gridRecord(buffer);
    if (!rec || !image || image->kind != GridKind::Image) return;
    rec->buffer = buffer;
    image->shownBy = grid;
    state().dirtyGrids.insert(grid);
}

void XgrSetGridPositionAndSize(std::int32_t grid, std::int32_t x, std::int32_t y,
                               std::int32_t width, std::int32_t height) {
    GridRecord* rec = gridRecord(grid);
    if (!rec) return;
    rec->x = x, rec->y = y;
    if (width <= 0 || height <= 0) return;
    width = std::min(width, 16384);
    height = std::min(height, 16384);
    if (rec->kind == GridKind::Image) {
        // A blank image grows with black, as a drawn one does.
        if (rec->blank && *rec->blank != qRgb(0, 0, 0) &&
            (width != rec->width || height != rec->height))
            drawTarget(grid);
        if (!rec->blank && (width != rec->image.width() || height != rec->image.height())) {
            QImage resized(width, height, QImage::Format_RGB32);
            resized.fill(Qt::black);
            QPainter painter(&resized);
            painter.drawImage(0, 0, rec->image);
            rec->image = resized;
        }
        rec->width = width, rec->height = height;
    } else if (rec->widget) {
        rec->widget->setGeometry(x, y, width, height);
        rec->width = width, rec->height = height;
    } else if (isPaintedToggle(*rec)) {
        rec->width = width, rec->height = height;
        repaintToggle(*rec);
    }
}

void XgrSetBackgroundColor(std::int32_t grid, std::int32_t colour) {
    GridRecord* rec = gridRecord(grid);
    if (!rec) return;
    rec->colours[0] = colour;
    if (WindowRecord* win = windowRecord(rec->window); win && win->widget) {
        QPalette palette = win->widget->palette();
        palette.setColor(QPalette::Window, qcolour(colour));
        win->widget->setPalette(palette);
        win->widget->setAutoFillBackground(true);
    }
    state().dirtyGrids.insert(grid);
}
