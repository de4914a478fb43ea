// The Qt widgets behind windows and window grids.

#include <QChildEvent>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

#include "toolkit/toolkit_internal.h"
#include "toolkit/widgets.h"

namespace xb {

TopWindow::TopWindow(std::int32_t window) : window_(window) {
    setAttribute(Qt::WA_DeleteOnClose, false);
}

void TopWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (WindowRecord* rec = windowRecord(window_))
        queueMessage(rec->grid, known(Known::CloseWindow));
}

bool TopWindow::event(QEvent* event) {
    if (event->type() == QEvent::Show) {
        if (WindowRecord* rec = windowRecord(window_))
            queueMessage(rec->grid, known(Known::Redrawn));
    } else if (event->type() == QEvent::WindowStateChange) {
        auto* change = static_cast<QWindowStateChangeEvent*>(event);
        if ((change->oldState() & Qt::WindowMinimized) && !isMinimized()) {
            if (WindowRecord* rec = windowRecord(window_))
                queueMessage(rec->grid, known(Known::Redrawn));
        }
    }
    return QWidget::event(event);
}

ToggleWidget::ToggleWidget(QWidget* parent) : QPushButton(parent) {
    setCheckable(true);
}

void ToggleWidget::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    if (isChecked()) {
        option.palette.setColor(QPalette::Button, QColor(0x1d, 0x4f, 0x91));
        option.palette.setColor(QPalette::ButtonText, Qt::white);
    }
    painter.drawControl(QStyle::CE_PushButton, option);
}

GridWidget::GridWidget(std::int32_t grid, QWidget* parent) : QWidget(parent), grid_(grid) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void GridWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    GridRecord* rec = gridRecord(grid_);
    const QImage* image = drawTarget(grid_);
    if (image && !image->isNull()) {
        const QRect area = event->rect();
        painter.drawImage(area, *image, area);
        const QRect covered = image->rect();
        if (!covered.contains(area) && rec) {
            QRegion rest = QRegion(area).subtracted(covered);
            for (const QRect& r : rest)
                painter.fillRect(r, qcolour(rec->colours[0]));
        }
    } else if (rec) {
        painter.fillRect(event->rect(), qcolour(rec->colours[0]));
    }
}

void GridWidget::report(QMouseEvent* event, std::int32_t message, std::int32_t buttons) {
    const QPoint at = event->position().toPoint();
    last_ = at;
    queueMessage(grid_, message, at.x(), at.y(), buttons, 0, 0, 0);
}

void GridWidget::trackPointer() {
    if (tracking_) return;
    tracking_ = true;
    setMouseTracking(true);
    for (QObject* kid : children())
        kid->installEventFilter(this);
}

// Leaving only counts with no button held: a held button keeps the pointer's messages coming to
// the grid that was pressed, and a gesture under way must see nothing new.
void GridWidget::reportExit() {
    if (QGuiApplication::mouseButtons() != Qt::NoButton) return;
    queueMessage(grid_, known(Known::WindowMouseExit), last_.x(), last_.y(), 0, 0, 0, 0);
}

void GridWidget::leaveEvent(QEvent* event) {
    if (tracking_) reportExit();
    QWidget::leaveEvent(event);
}

// Entering a kid leaves the grid's own picture, though Qt does not count it as leaving the grid.
void GridWidget::childEvent(QChildEvent* event) {
    if (tracking_ && event->added()) event->child()->installEventFilter(this);
    QWidget::childEvent(event);
}

bool GridWidget::eventFilter(QObject* watched, QEvent* event) {
    if (tracking_ && event->type() == QEvent::Enter) reportExit();
    return QWidget::eventFilter(watched, event);
}

namespace {
std::int32_t buttonBits(Qt::MouseButtons buttons) {
    std::int32_t bits = 0;
    if (buttons & Qt::LeftButton) bits |= kLeftButton;
    if (buttons & Qt::MiddleButton) bits |= kMiddleButton;
    if (buttons & Qt::RightButton) bits |= kRightButton;
    return bits;
}
}  // namespace

void GridWidget::mousePressEvent(QMouseEvent* event) {
    report(event, known(Known::WindowMouseDown), buttonBits(event->buttons() | event->button()));
}

void GridWidget::mouseReleaseEvent(QMouseEvent* event) {
    report(event, known(Known::WindowMouseUp), buttonBits(event->buttons() | event->button()));
}

void GridWidget::mouseMoveEvent(QMouseEvent* event) {
    report(event, known(Known::WindowMouseMove), buttonBits(event->buttons()));
}

std::int32_t pointerProcess(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                            std::int32_t& v1, std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,
                            std::int32_t& r1) {
    GridRecord* rec = gridRecord(grid);
    if (!rec || !rec->tracksPointer) return 0;
    return XuiCallback(grid, message, v0, v1, v2, v3, r0, r1);
}

}  // namespace xb
