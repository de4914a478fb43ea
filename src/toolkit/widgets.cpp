// The Qt widgets behind windows and window grids.

#include <QChildEvent>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QWheelEvent>

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

std::int32_t pointerProcess(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                            std::int32_t& v1, std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,
                            std::int32_t& r1) {
    GridRecord* rec = gridRecord(grid);
    if (!rec || !rec->tracksPointer) return 0;
    return XuiCallback(grid, message, v0, v1, v2, v3, r0, r1);
}

}  // namespace xb

// ---- Keys, the wheel, text fields and lists ------------------------------------------------

namespace xb {

namespace {

// The pressed toggles' blue, for the highlighted row of a list.
const QColor kHighlight(0x1d, 0x4f, 0x91);
constexpr int kRowPadding = 2;
constexpr int kTextIndent = 4;
// The program's single-byte texts hold the micro sign as code page 437 does.
constexpr unsigned char kMicroByte = 0xE6;
constexpr unsigned char kEllipsisByte = 0x85;

bool isDash(char16_t c) {
    return (c >= 0x2010 && c <= 0x2015) || c == 0x2212;
}

}  // namespace

std::string singleByteText(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == 0x00B5 || u == 0x03BC)
            bytes.push_back(static_cast<char>(kMicroByte));
        else if (isDash(u))
            bytes.push_back('-');
        else if (u <= 0xFF)
            bytes.push_back(static_cast<char>(u));
        else
            bytes.push_back('?');
    }
    return bytes;
}

std::int32_t keyCode(int qtKey, const QString& text) {
    switch (qtKey) {
        case Qt::Key_Left:
            return kKeyLeft;
        case Qt::Key_Right:
            return kKeyRight;
        case Qt::Key_Up:
            return kKeyUp;
        case Qt::Key_Down:
            return kKeyDown;
        case Qt::Key_Home:
            return kKeyHome;
        case Qt::Key_End:
            return kKeyEnd;
        case Qt::Key_PageUp:
            return kKeyPageUp;
        case Qt::Key_PageDown:
            return kKeyPageDown;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return kKeyEnter;
        case Qt::Key_Escape:
            return kKeyEscape;
        default:
            break;
    }
    auto lower = [](std::int32_t c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
    // With Control held the text is a control character: the key itself names the letter.
    if (text.size() == 1) {
        const char16_t u = text.front().unicode();
        if (u >= 0x20 && u != 0x7F && u <= 0xFF) return lower(u);
    }
    if (qtKey >= 0x20 && qtKey <= 0x7E) return lower(qtKey);
    return 0;
}

std::int32_t modifierBits(Qt::KeyboardModifiers modifiers) {
    std::int32_t bits = 0;
    if (modifiers & Qt::ShiftModifier) bits |= kShiftKey;
    if (modifiers & Qt::ControlModifier) bits |= kControlKey;
    if (modifiers & Qt::AltModifier) bits |= kAltKey;
    return bits;
}

void TopWindow::keyPressEvent(QKeyEvent* event) {
    const std::int32_t key = keyCode(event->key(), event->text());
    WindowRecord* rec = windowRecord(window_);
    if (key == 0 || !rec) {
        QWidget::keyPressEvent(event);
        return;
    }
    queueMessage(rec->grid, known(Known::WindowKeyDown), key, 0, modifierBits(event->modifiers()));
}

void GridWidget::wheelEvent(QWheelEvent* event) {
    const QPoint at = event->position().toPoint();
    const QPoint turn = event->angleDelta();
    const std::int32_t state = buttonBits(event->buttons()) | modifierBits(event->modifiers());
    if (turn.y() != 0)
        queueMessage(grid_, known(Known::WindowMouseWheel), at.x(), at.y(), state, turn.y());
    if (turn.x() != 0)
        queueMessage(grid_, known(Known::WindowMouseWheel), at.x(), at.y(),
                     state | kWheelHorizontal, turn.x());
    // A grid that follows the pointer (the main window's picture) uses the wheel itself; any other
    // passes it on as well, so that a window larger than the screen scrolls over its grid.
    if (tracking_)
        event->accept();
    else
        event->ignore();
}

TextLineWidget::TextLineWidget(std::int32_t grid, QWidget* parent)
    : QLineEdit(parent), grid_(grid) {
    connect(this, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (GridRecord* rec = gridRecord(grid_)) rec->text = singleByteText(text);
        queueMessage(grid_, known(Known::TextModified));
    });
}

void TextLineWidget::keyPressEvent(QKeyEvent* event) {
    const std::int32_t key = keyCode(event->key(), event->text());
    switch (key) {
        case kKeyUp:
        case kKeyDown:
        case kKeyPageUp:
        case kKeyPageDown:
        case kKeyEnter:
        case kKeyEscape:
            queueMessage(grid_, known(Known::KeyDown), key, 0, modifierBits(event->modifiers()));
            event->accept();
            return;
        default:
            QLineEdit::keyPressEvent(event);
    }
}

ListWidget::ListWidget(std::int32_t grid, QWidget* parent) : QWidget(parent), grid_(grid) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ListWidget::setRows(const std::string& rows) {
    rows_.clear();
    std::size_t start = 0;
    while (start <= rows.size() && !rows.empty()) {
        std::size_t end = rows.find('\n', start);
        if (end == std::string::npos) end = rows.size();
        QString row = latin1(rows.substr(start, end - start));
        row.replace(QChar(kEllipsisByte), QChar(0x2026));
        rows_.append(row);
        start = end + 1;
    }
    update();
}

void ListWidget::setHighlight(int row) {
    highlight_ = row;
    update();
}

int ListWidget::rowHeight() const {
    return fontMetrics().height() + kRowPadding;
}

void ListWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    const int height = rowHeight();
    const int ascent = fontMetrics().ascent() + kRowPadding / 2;
    for (int i = 0; i < rows_.size() && i * height < this->height(); ++i) {
        const int top = i * height;
        if (i == highlight_) painter.fillRect(0, top, width(), height, kHighlight);
        painter.setPen(i == highlight_ ? Qt::white : Qt::black);
        painter.drawText(kTextIndent, top + ascent, rows_[i]);
    }
    painter.setPen(Qt::gray);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void ListWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const int row = static_cast<int>(event->position().y()) / rowHeight();
    if (row >= 0 && row < rows_.size())
        queueMessage(grid_, known(Known::Selection), row, 0, 0, 1, 0, 0);
}

}  // namespace xb
