// Toggles painted by the grid that holds them. A toggle widget costs kilobytes in Qt (the widget,
// its accessibility entry, its text); a window of tens of thousands of toggles is therefore
// painted: the grid draws the toggles that are in view with the style's push button, in the
// palette a toggle widget would have, and takes the clicks on them. A toggle gets a widget of its
// own only when one is asked for (XuiNativeWidget).

#include <QButtonGroup>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QStyleOptionButton>
#include <QToolTip>

#include "toolkit/toolkit_internal.h"
#include "toolkit/widgets.h"

namespace xb {

namespace {

QRect boxOf(const GridRecord& rec) {
    return {rec.x, rec.y, rec.width, rec.height};
}

// A label as a button shows it: '&' is no shortcut mark.
QString buttonText(const std::string& text) {
    return latin1(text).replace(QLatin1Char('&'), QLatin1String("&&"));
}

void queueSelection(std::int32_t grid, bool checked) {
    queueMessage(grid, known(Known::Selection), checked ? -1 : 0, 0, 0, 1, 0, 0);
}

}  // namespace

bool isPaintedToggle(const GridRecord& rec) {
    return rec.kind == GridKind::Toggle && !rec.widget;
}

void setButtonRoles(QPalette& palette, const std::array<std::int32_t, 4>& colourExtra) {
    const QColor face = qcolour(colourExtra[0]);
    const QColor text = qcolour(colourExtra[1]);
    palette.setColor(QPalette::Button, face);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Shadow, qcolour(colourExtra[2]));
    palette.setColor(QPalette::Light, qcolour(colourExtra[3]));
    palette.setColor(QPalette::Dark, face.darker(160));
    palette.setColor(QPalette::Mid, face.darker(130));
    palette.setColor(QPalette::Midlight, face.lighter(130));
}

// The whole grid is marked: All and None change thousands of toggles, and a region of thousands
// of rectangles costs far more than repainting what is in view.
void repaintToggle(const GridRecord& rec) {
    state().dirtyGrids.insert(rec.parent);
}

void setToggleChecked(std::int32_t grid, bool checked) {
    GridRecord* rec = gridRecord(grid);
    if (!rec || rec->kind != GridKind::Toggle) return;
    if (auto* button = qobject_cast<QAbstractButton*>(rec->widget.data())) {
        QSignalBlocker blocker(button);
        button->setChecked(checked);
    } else if (rec->checked != checked) {
        repaintToggle(*rec);
    }
    rec->checked = checked;
}

QWidget* toggleWidget(std::int32_t grid) {
    GridRecord* rec = gridRecord(grid);
    if (!rec) return nullptr;
    if (!isPaintedToggle(*rec)) return rec->widget;
    GridRecord* hostRec = gridRecord(rec->parent);
    QWidget* host = hostRec ? hostRec->widget.data() : nullptr;
    if (!host) return nullptr;
    auto* button = new ToggleWidget(host);
    if (!hostRec->toggles) {
        hostRec->toggles = new QButtonGroup(host);
        hostRec->toggles->setExclusive(false);
    }
    // An explicit id: without one the group looks through every id it holds for the lowest.
    hostRec->toggles->addButton(button, grid);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoFillBackground(true);
    if (rec->font) button->setFont(*rec->font);
    if (rec->look) button->setPalette(*rec->look);
    button->setText(buttonText(rec->text));
    button->setToolTip(latin1(rec->hint));
    button->setChecked(rec->checked);
    button->setGeometry(boxOf(*rec));
    QObject::connect(button, &QPushButton::clicked, [grid](bool checked) {
        if (GridRecord* clicked = gridRecord(grid)) clicked->checked = checked;
        queueSelection(grid, checked);
    });
    button->show();
    rec->widget = button;
    return button;
}

void GridWidget::paintToggles(QPainter& painter, const QRect& area) {
    const GridRecord* rec = gridRecord(grid_);
    if (!rec) return;
    QStyleOptionButton option;
    option.initFrom(this);
    option.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
    option.styleObject = nullptr;
    const QStyle::State common = option.state;
    const QPalette base = palette();
    const QPalette* lastLook = nullptr;
    const QPalette* released = &base;
    const QPalette* pressed = &base;
    const QFont* lastFont = nullptr;
    for (const std::int32_t kid : rec->kids) {
        const GridRecord* toggle = gridRecord(kid);
        if (!toggle || !isPaintedToggle(*toggle)) continue;
        const QRect box = boxOf(*toggle);
        if (!box.intersects(area)) continue;
        if (toggle->look != lastLook || !lastLook) {
            lastLook = toggle->look;
            auto& resolved = state().resolvedLooks;
            const auto key = std::make_pair(lastLook, base.cacheKey());
            auto found = resolved.find(key);
            if (found == resolved.end()) {
                QPalette up = lastLook ? lastLook->resolve(base) : base;
                QPalette down = up;
                down.setColor(QPalette::Button, QColor(kPressedToggleFace));
                down.setColor(QPalette::ButtonText, QColor(kPressedToggleText));
                found = resolved.emplace(key, std::make_pair(up, down)).first;
            }
            released = &found->second.first;
            pressed = &found->second.second;
        }
        if (toggle->font != lastFont || !lastFont) {
            lastFont = toggle->font;
            painter.setFont(lastFont ? *lastFont : font());
            option.fontMetrics = painter.fontMetrics();
        }
        const bool down = kid == pressedToggle_ && pressedDown_;
        option.rect = box;
        option.palette = toggle->checked ? *pressed : *released;
        option.text = buttonText(toggle->text);
        option.state = common;
        if (down) option.state |= QStyle::State_Sunken;
        if (toggle->checked) option.state |= QStyle::State_On;
        if (!down) option.state |= QStyle::State_Raised;
        painter.setClipRect(box);
        // A button widget fills its background (its face colour) first, which shows at the
        // rounded corners.
        painter.fillRect(box, released->brush(QPalette::Button));
        style()->drawControl(QStyle::CE_PushButton, &option, &painter, nullptr);
    }
    painter.setClipping(false);
}

std::int32_t GridWidget::toggleAt(QPoint at) const {
    const GridRecord* rec = gridRecord(grid_);
    if (!rec) return 0;
    // The last made lies on top, as among sibling widgets.
    for (auto kid = rec->kids.rbegin(); kid != rec->kids.rend(); ++kid) {
        const GridRecord* toggle = gridRecord(*kid);
        if (toggle && toggle->kind == GridKind::Toggle && boxOf(*toggle).contains(at))
            return isPaintedToggle(*toggle) ? *kid : 0;
    }
    return 0;
}

bool GridWidget::pressToggle(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return pressedToggle_ != 0;
    const std::int32_t toggle = toggleAt(event->position().toPoint());
    if (toggle == 0) return false;
    pressedToggle_ = toggle;
    pressedDown_ = true;
    if (const GridRecord* rec = gridRecord(toggle)) update(boxOf(*rec));
    return true;
}

bool GridWidget::dragToggle(QMouseEvent* event) {
    if (pressedToggle_ == 0) return false;
    const GridRecord* rec = gridRecord(pressedToggle_);
    const bool over = rec && boxOf(*rec).contains(event->position().toPoint());
    if (rec && over != pressedDown_) {
        pressedDown_ = over;
        update(boxOf(*rec));
    }
    return true;
}

bool GridWidget::releaseToggle(QMouseEvent* event) {
    if (pressedToggle_ == 0) return false;
    if (event->button() != Qt::LeftButton) return true;
    const std::int32_t toggle = pressedToggle_;
    const bool clicked = pressedDown_;
    pressedToggle_ = 0;
    pressedDown_ = false;
    GridRecord* rec = gridRecord(toggle);
    if (!rec) return true;
    update(boxOf(*rec));
    if (clicked && boxOf(*rec).contains(event->position().toPoint())) {
        setToggleChecked(toggle, !rec->checked);
        queueSelection(toggle, gridRecord(toggle)->checked);
    }
    return true;
}

bool GridWidget::showToggleHint(QEvent* event) {
    auto* help = static_cast<QHelpEvent*>(event);
    const GridRecord* rec = gridRecord(toggleAt(help->pos()));
    if (!rec || rec->hint.empty()) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    QToolTip::showText(help->globalPos(), latin1(rec->hint), this, boxOf(*rec));
    return true;
}

}  // namespace xb
