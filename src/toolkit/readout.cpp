// The readout: a box of text rows floating beside the pointer, and the pointer tracking of window
// grids that tells the program where the pointer rests.

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <vector>

#include "toolkit/toolkit.h"
#include "toolkit/toolkit_internal.h"
#include "toolkit/widgets.h"

namespace xb {

namespace {

constexpr int kPointerGap = 16;  // between the pointer and the box, both ways
constexpr int kPadding = 6;      // inside the border
constexpr int kCellSpacing = 12;
constexpr int kRowSpacing = 2;
constexpr int kSwatchSize = 10;
constexpr int kSwatchSpacing = 6;
constexpr int kFontPixels = 12;
const QColor kBackground(0x20, 0x20, 0x20);  // the header band's grey
const QColor kFrame(0x80, 0x80, 0x80);
constexpr char16_t kEllipsisByte = 0x85;

QString shown(const std::string& text) {
    return latin1(text).replace(QChar(kEllipsisByte), QChar(0x2026));
}

class ReadoutWidget : public QWidget {
  public:
    ReadoutWidget()
        : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                               Qt::WindowTransparentForInput) {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        QFont readoutFont = font();
        readoutFont.setPixelSize(kFontPixels);
        setFont(readoutFont);
    }

    const std::vector<XuiReadoutRow>& rows() const { return rows_; }

    void setRows(std::span<const XuiReadoutRow> rows) {
        if (std::equal(rows.begin(), rows.end(), rows_.begin(), rows_.end())) return;
        rows_.assign(rows.begin(), rows.end());
        measure();
        resize(size_);
        update();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), kBackground);
        painter.setPen(kFrame);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        const QFontMetrics metrics(font());
        int y = kPadding;
        for (const XuiReadoutRow& row : rows_) {
            if (row.swatch >= 0) {
                const QRect swatch(kPadding, y + (rowHeight_ - kSwatchSize) / 2, kSwatchSize,
                                   kSwatchSize);
                painter.fillRect(swatch, qcolour(row.swatch));
                painter.setPen(kFrame);
                painter.drawRect(swatch.adjusted(0, 0, -1, -1));
            }
            painter.setPen(qcolour(row.textColour));
            int x = kPadding + swatchColumn_;
            for (std::size_t c = 0; c < row.cells.size(); ++c) {
                painter.drawText(x, y + metrics.ascent(), shown(row.cells[c]));
                if (c < columnWidths_.size()) x += columnWidths_[c] + kCellSpacing;
            }
            y += rowHeight_ + kRowSpacing;
        }
    }

  private:
    // Columns as wide as their widest text in rows of several texts; rows of one text span them.
    void measure() {
        const QFontMetrics metrics(font());
        rowHeight_ = std::max(metrics.height(), kSwatchSize);
        swatchColumn_ = 0;
        columnWidths_.clear();
        int spanning = 0;
        for (const XuiReadoutRow& row : rows_) {
            if (row.swatch >= 0) swatchColumn_ = kSwatchSize + kSwatchSpacing;
            if (row.cells.size() == 1) {
                spanning = std::max(spanning, metrics.horizontalAdvance(shown(row.cells[0])));
                continue;
            }
            if (columnWidths_.size() < row.cells.size()) columnWidths_.resize(row.cells.size(), 0);
            for (std::size_t c = 0; c < row.cells.size(); ++c)
                columnWidths_[c] =
                    std::max(columnWidths_[c], metrics.horizontalAdvance(shown(row.cells[c])));
        }
        int columns = 0;
        for (int width : columnWidths_)
            columns += width;
        if (!columnWidths_.empty())
            columns += kCellSpacing * static_cast<int>(columnWidths_.size() - 1);
        const int rows = static_cast<int>(rows_.size());
        size_ = QSize(2 * kPadding + swatchColumn_ + std::max(columns, spanning),
                      2 * kPadding + rows * rowHeight_ + std::max(rows - 1, 0) * kRowSpacing);
    }

    std::vector<XuiReadoutRow> rows_;
    std::vector<int> columnWidths_;
    int swatchColumn_ = 0;
    int rowHeight_ = 0;
    QSize size_;
};

// Right of and below the pointer; left of or above it where the box would pass the area's edge.
// Only a box wider than the room on either side is pushed over the pointer's column.
QPoint placeBeside(QPoint pointer, QSize box, QRect area) {
    int left = pointer.x() + kPointerGap;
    if (left + box.width() > area.right() + 1) left = pointer.x() - kPointerGap - box.width();
    left = std::max(left, area.left());
    int top = pointer.y() + kPointerGap;
    if (top + box.height() > area.bottom() + 1) top = pointer.y() - kPointerGap - box.height();
    top = std::max(std::min(top, area.bottom() + 1 - box.height()), area.top());
    return {left, top};
}

ReadoutWidget* readoutWidget() {
    return static_cast<ReadoutWidget*>(state().readout.data());
}

}  // namespace

void hideReadoutOverDrawnGrids() {
    State& s = state();
    if (s.readoutGrid != 0 && s.dirtyGrids.count(s.readoutGrid) != 0) XuiHideReadout();
}

}  // namespace xb

using namespace xb;

void XuiTrackPointer(std::int32_t grid) {
    GridRecord* rec = gridRecord(grid);
    if (!rec || rec->kind != GridKind::WindowGrid) return;
    rec->tracksPointer = true;
    if (auto* widget = dynamic_cast<GridWidget*>(rec->widget.data())) widget->trackPointer();
}

void XuiShowReadout(std::int32_t grid, std::int32_t x, std::int32_t y,
                    std::span<const XuiReadoutRow> rows) {
    GridRecord* rec = gridRecord(grid);
    if (!rec || !rec->widget || rows.empty()) {
        XuiHideReadout();
        return;
    }
    State& s = state();
    if (!s.readout) s.readout = new ReadoutWidget;
    ReadoutWidget* readout = readoutWidget();
    readout->setRows(rows);
    const QPoint pointer = rec->widget->mapToGlobal(QPoint(x, y));
    QScreen* screen = QGuiApplication::screenAt(pointer);
    if (!screen) screen = rec->widget->screen();
    const QRect area = screen ? screen->availableGeometry() : QRect(pointer, readout->size());
    readout->move(placeBeside(pointer, readout->size(), area));
    readout->show();
    s.readoutGrid = grid;
}

void XuiHideReadout() {
    State& s = state();
    s.readoutGrid = 0;
    if (s.readout) s.readout->hide();
}

bool XuiReadoutVisible() {
    const ReadoutWidget* readout = readoutWidget();
    return readout && readout->isVisible();
}

void XuiGetReadoutBox(std::int32_t& x, std::int32_t& y, std::int32_t& width, std::int32_t& height) {
    const ReadoutWidget* readout = readoutWidget();
    const QRect box = readout ? readout->geometry() : QRect();
    x = box.x(), y = box.y(), width = box.width(), height = box.height();
}

std::vector<XuiReadoutRow> XuiGetReadoutRows() {
    const ReadoutWidget* readout = readoutWidget();
    return readout ? readout->rows() : std::vector<XuiReadoutRow>{};
}
