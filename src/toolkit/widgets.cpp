// The Qt widgets behind windows and window grids.

#include <QCloseEvent>
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
        option.palette.setColor(QPalette::Button, QColor(kPressedToggleFace));
        option.palette.setColor(QPalette::ButtonText, QColor(kPressedToggleText));
    }
    painter.drawControl(QStyle::CE_PushButton, option);
}

GridWidget::GridWidget(std::int32_t grid, QWidget* parent) : QWidget(parent), grid_(grid) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

bool GridWidget::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) return showToggleHint(event);
    return QWidget::event(event);
}

void GridWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    GridRecord* rec = gridRecord(grid_);
    const QRect area = event->rect();
    const GridRecord* picture = shownPicture(grid_);
    QRect covered;
    if (picture && picture->blank) {
        covered = QRect(0, 0, picture->width, picture->height);
        painter.fillRect(area & covered, QColor(*picture->blank));
    } else if (picture) {
        covered = picture->image.rect();
        painter.drawImage(area, picture->image, area);
    }
    if (!covered.contains(area) && rec) {
        const QRegion rest = QRegion(area).subtracted(covered);
        for (const QRect& r : rest)
            painter.fillRect(r, qcolour(rec->colours[0]));
    }
    paintToggles(painter, area);
}

void GridWidget::report(QMouseEvent* event, std::int32_t message, std::int32_t buttons) {
    const QPoint at = event->position().toPoint();
    queueMessage(grid_, message, at.x(), at.y(), buttons, 0, 0, 0);
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
    if (pressToggle(event)) return;
    report(event, known(Known::WindowMouseDown), buttonBits(event->buttons() | event->button()));
}

void GridWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (releaseToggle(event)) return;
    report(event, known(Known::WindowMouseUp), buttonBits(event->buttons() | event->button()));
}

void GridWidget::mouseMoveEvent(QMouseEvent* event) {
    if (dragToggle(event)) return;
    report(event, known(Known::WindowMouseMove), buttonBits(event->buttons()));
}

}  // namespace xb
