// Drawing into grid buffers: boxes, lines, texts from a glyph cache, images, and colours.
//
// All drawing writes straight into the buffer's pixels; the widget that shows the buffer is only
// told to repaint once per pass of the message loop, however much was drawn.

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cstring>

#include "toolkit/toolkit.h"
#include "toolkit/toolkit_internal.h"

namespace xb {

namespace {

constexpr std::array<int, 5> kPaletteLevels = {0, 64, 128, 191, 255};
constexpr std::int32_t kPaletteSize = 125;
// Converted colours carry this tag above their 0xRRGGBB, far above any palette number.
constexpr std::int32_t kRgbTag = 0x01000000;
constexpr std::int32_t kMaxIntensity = 65535;

// The monospace font's size: its capitals, ascenders and descenders together fill 10 rows.
constexpr int kGlyphPixelSize = 10;

// One glyph: kCharHeight rows of kCharWidth bits, the leftmost pixel in bit 7.
using Glyph = std::array<std::uint8_t, kCharHeight>;

// Single-byte characters as the program writes them: ASCII, with 0xE6 the micro sign.
QChar characterOf(unsigned char byte) {
    if (byte == 0xE6) return QChar(0x00B5);
    if (byte < 0x20 || byte == 0x7F) return QChar(' ');
    return QChar(byte);
}

// Glyphs are rendered once from a monospace font without antialiasing, each centred in its 8-pixel
// cell, and shifted up so that the highest ink of any character (the dot of an i, an accent)
// stands in the first row of the 10-pixel row.
const std::array<Glyph, 256>& glyphs() {
    static const std::array<Glyph, 256> cache = [] {
        ensureApplication();
        QFont font(QStringLiteral("DejaVu Sans Mono"));
        font.setStyleHint(QFont::Monospace);
        font.setPixelSize(kGlyphPixelSize);
        font.setStyleStrategy(QFont::NoAntialias);
        font.setHintingPreference(QFont::PreferFullHinting);
        const QFontMetrics metrics(font);
        constexpr int kTallCell = 2 * kCharHeight;
        std::array<std::array<std::uint8_t, kTallCell>, 256> tall{};
        QImage cell(kCharWidth, kTallCell, QImage::Format_RGB32);
        int top = kTallCell;
        for (int byte = 0; byte < 256; ++byte) {
            cell.fill(Qt::white);
            QPainter painter(&cell);
            painter.setFont(font);
            painter.setPen(Qt::black);
            const QString text(characterOf(static_cast<unsigned char>(byte)));
            const int left = (kCharWidth - metrics.horizontalAdvance(text)) / 2;
            painter.drawText(left, metrics.ascent(), text);
            painter.end();
            for (int row = 0; row < kTallCell; ++row) {
                std::uint8_t bits = 0;
                const auto* line = reinterpret_cast<const QRgb*>(cell.constScanLine(row));
                for (int column = 0; column < kCharWidth; ++column)
                    if (qGray(line[column]) < 128)
                        bits |= static_cast<std::uint8_t>(0x80 >> column);
                tall[byte][row] = bits;
                if (bits && byte >= 0x20 && byte < 0x7F) top = std::min(top, row);
            }
        }
        if (top == kTallCell) top = 0;
        std::array<Glyph, 256> result{};
        for (int byte = 0; byte < 256; ++byte)
            for (int row = 0; row < kCharHeight && top + row < kTallCell; ++row)
                result[byte][row] = tall[byte][top + row];
        return result;
    }();
    return cache;
}

void markDirty(const GridRecord& rec, std::int32_t grid) {
    auto& dirty = state().dirtyGrids;
    const std::int32_t shown = rec.kind == GridKind::Image && rec.shownBy ? rec.shownBy : grid;
    // Drawing mostly goes to one grid between repaints: no hashing when it is already the one.
    if (dirty.size() == 1 && *dirty.begin() == shown) return;
    dirty.insert(shown);
}

void markDirty(std::int32_t grid) {
    if (const GridRecord* rec = gridRecord(grid)) markDirty(*rec, grid);
}

// Fills the inclusive box, clipped to the image.
void fillClipped(QImage& image, QRgb rgb, std::int32_t x1, std::int32_t y1, std::int32_t x2,
                 std::int32_t y2) {
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, image.width() - 1);
    y2 = std::min(y2, image.height() - 1);
    if (x1 > x2 || y1 > y2) return;
    // bits() once: every non-const scanLine() call would check whether to detach the image.
    uchar* bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    if (x1 == x2) {  // vertical lines: one pixel per row
        for (std::int32_t y = y1; y <= y2; ++y)
            reinterpret_cast<QRgb*>(bits + y * stride)[x1] = rgb;
        return;
    }
    // One row filled pixel by pixel, the others copied from it: memcpy moves whole vectors.
    auto* first = reinterpret_cast<QRgb*>(bits + y1 * stride) + x1;
    const std::size_t rowBytes = std::size_t(x2 - x1 + 1) * sizeof(QRgb);
    std::fill(first, first + (x2 - x1 + 1), rgb);
    for (std::int32_t y = y1 + 1; y <= y2; ++y)
        std::memcpy(reinterpret_cast<QRgb*>(bits + y * stride) + x1, first, rowBytes);
}

void putPixel(QImage& image, std::int32_t x, std::int32_t y, QRgb rgb) {
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) return;
    reinterpret_cast<QRgb*>(image.scanLine(y))[x] = rgb;
}

// For every 8-pixel glyph row pattern, all ones in the pixels it sets and zeros elsewhere. Whole
// rows are then blended without a branch per pixel (mispredicted branches, not memory, are what
// limits text drawing).
using RowMasks = std::array<std::array<QRgb, kCharWidth>, 256>;
constexpr RowMasks kRowMasks = [] {
    RowMasks masks{};
    for (unsigned pattern = 0; pattern < 256; ++pattern)
        for (int column = 0; column < kCharWidth; ++column)
            masks[pattern][column] = (pattern & (0x80u >> column)) ? 0xFFFFFFFFu : 0u;
    return masks;
}();

// The rows first..last - 1 of a glyph's cell that hold all its ink; text drawing leaves out the
// blank rows above and below.
struct InkRows {
    int first = 0;
    int last = 0;
};

const std::array<InkRows, 256>& inkRows() {
    static const std::array<InkRows, 256> table = [] {
        std::array<InkRows, 256> result{};
        const auto& cache = glyphs();
        for (std::size_t byte = 0; byte < cache.size(); ++byte) {
            for (int row = 0; row < kCharHeight; ++row) {
                if (!cache[byte][row]) continue;
                if (result[byte].last == 0) result[byte].first = row;
                result[byte].last = row + 1;
            }
        }
        return result;
    }();
    return table;
}

void drawGlyphs(QImage& image, QRgb rgb, std::int32_t x, std::int32_t y, std::string_view text) {
    const auto& cache = glyphs();
    const auto& ink = inkRows();
    const std::int64_t width = image.width();
    const std::int64_t height = image.height();
    if (y >= height || std::int64_t{y} + kCharHeight <= 0) return;
    const int firstRow = std::max(0, -y);
    const int lastRow = static_cast<int>(std::min<std::int64_t>(kCharHeight, height - y));
    uchar* const bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::int64_t left = std::int64_t{x} + static_cast<std::int64_t>(i) * kCharWidth;
        if (left >= width) break;
        if (left + kCharWidth <= 0) continue;
        const auto byte = static_cast<unsigned char>(text[i]);
        const Glyph& glyph = cache[byte];
        // The cell's columns that lie on the image, in the glyph's bit order (leftmost in bit 7).
        // Cells cut by the image's edge are drawn pixel by pixel, whole ones row by row.
        unsigned visible = 0xFF;
        if (left < 0) visible >>= -left;
        if (left + kCharWidth > width) visible &= 0xFFu << (left + kCharWidth - width);
        const int inkEnd = std::min(lastRow, ink[byte].last);
        for (int row = std::max(firstRow, ink[byte].first); row < inkEnd; ++row) {
            const unsigned pattern = glyph[row] & visible;
            auto* line = reinterpret_cast<QRgb*>(bits + (y + row) * stride);
            if (visible == 0xFF) {
                // Copied in and out so that the compiler can blend the row in vector registers.
                const auto& mask = kRowMasks[pattern];
                std::array<QRgb, kCharWidth> cell;
                std::memcpy(cell.data(), line + left, sizeof cell);
                for (int column = 0; column < kCharWidth; ++column)
                    cell[column] = (cell[column] & ~mask[column]) | (rgb & mask[column]);
                std::memcpy(line + left, cell.data(), sizeof cell);
                continue;
            }
            for (int column = 0; column < kCharWidth; ++column)
                if (pattern & (0x80u >> column)) line[left + column] = rgb;
        }
    }
}

}  // namespace

QRgb rgbOf(std::int32_t colour) {
    if (colour >= 0 && colour < kPaletteSize) {
        return qRgb(kPaletteLevels[colour / 25], kPaletteLevels[(colour / 5) % 5],
                    kPaletteLevels[colour % 5]);
    }
    if ((colour & 0x7F000000) == kRgbTag)
        return qRgb((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF);
    return qRgb(0, 0, 0);
}

namespace {

// The image that drawing on the grid of rec paints into, or nullptr. The hot drawing operations
// look their grid up once and pass the record on.
QImage* pixelsOf(GridRecord& image) {
    if (image.blank) {
        image.image = QImage(image.width, image.height, QImage::Format_RGB32);
        image.image.fill(*image.blank);
        image.blank.reset();
    }
    return image.image.isNull() ? nullptr : &image.image;
}

QImage* targetOf(GridRecord& rec) {
    if (rec.buffer) {
        GridRecord* buffer = gridRecord(rec.buffer);
        return buffer ? pixelsOf(*buffer) : nullptr;
    }
    if (rec.kind == GridKind::Image) return pixelsOf(rec);
    if (rec.kind == GridKind::WindowGrid && rec.image.isNull()) {
        rec.image = QImage(std::max(rec.width, 1), std::max(rec.height, 1), QImage::Format_RGB32);
        rec.image.fill(rgbOf(rec.colours[0]));
    }
    return rec.image.isNull() ? nullptr : &rec.image;
}

}  // namespace

QImage* drawTarget(std::int32_t grid) {
    GridRecord* rec = gridRecord(grid);
    return rec ? targetOf(*rec) : nullptr;
}

const GridRecord* shownPicture(std::int32_t grid) {
    const GridRecord* rec = gridRecord(grid);
    if (rec && rec->buffer) rec = gridRecord(rec->buffer);
    return rec && (rec->blank || !rec->image.isNull()) ? rec : nullptr;
}

void flushDirtyGrids() {
    State& s = state();
    hideReadoutOverDrawnGrids();
    for (std::int32_t grid : s.dirtyGrids)
        if (GridRecord* rec = gridRecord(grid); rec && rec->widget) rec->widget->update();
    s.dirtyGrids.clear();
}

}  // namespace xb

using namespace xb;

void XgrConvertRGBToColor(std::int32_t red, std::int32_t green, std::int32_t blue,
                          std::int32_t& colour) {
    // 8-bit channel = round(v / 257), halves rounding up.
    auto channel = [](std::int32_t v) {
        const std::int32_t clamped = std::clamp(v, 0, kMaxIntensity);
        return (2 * clamped + 257) / 514;
    };
    colour = kRgbTag | (channel(red) << 16) | (channel(green) << 8) | channel(blue);
}

std::int32_t XgrRGBColour(std::int32_t red, std::int32_t green, std::int32_t blue) {
    std::int32_t colour = 0;
    XgrConvertRGBToColor(red, green, blue, colour);
    return colour;
}

std::uint32_t XgrColourRGB(std::int32_t colour) {
    return rgbOf(colour) & 0xFFFFFFu;
}

void XgrClearGrid(std::int32_t grid, std::int32_t colour) {
    GridRecord* rec = gridRecord(grid);
    GridRecord* target = rec && rec->buffer ? gridRecord(rec->buffer) : rec;
    if (target && target->kind == GridKind::Image) {
        target->image = QImage();
        target->blank = rgbOf(colour);
        markDirty(grid);
        return;
    }
    QImage* image = drawTarget(grid);
    if (!image) return;
    image->fill(rgbOf(colour));
    markDirty(grid);
}

void XgrFillBox(std::int32_t grid, std::int32_t colour, std::int32_t x1, std::int32_t y1,
                std::int32_t x2, std::int32_t y2) {
    GridRecord* rec = gridRecord(grid);
    QImage* image = rec ? targetOf(*rec) : nullptr;
    if (!image) return;
    fillClipped(*image, rgbOf(colour), x1, y1, x2, y2);
    markDirty(*rec, grid);
}

void XgrDrawLine(std::int32_t grid, std::int32_t colour, std::int32_t x1, std::int32_t y1,
                 std::int32_t x2, std::int32_t y2) {
    GridRecord* rec = gridRecord(grid);
    QImage* image = rec ? targetOf(*rec) : nullptr;
    if (!image) return;
    const QRgb rgb = rgbOf(colour);
    markDirty(*rec, grid);
    if (x1 == x2 || y1 == y2) {
        fillClipped(*image, rgb, x1, y1, x2, y2);
        return;
    }
    // Bresenham in 64 bits, so that no pair of 32-bit ends can overflow; only pixels on the image
    // are visited after clipping the walk to the rows and columns it can touch.
    std::int64_t x = x1, y = y1;
    const std::int64_t dx = std::abs(std::int64_t{x2} - x1);
    const std::int64_t dy = -std::abs(std::int64_t{y2} - y1);
    const int sx = x1 < x2 ? 1 : -1;
    const int sy = y1 < y2 ? 1 : -1;
    std::int64_t error = dx + dy;
    const std::int64_t steps = std::max(dx, -dy);
    if (steps > 4 * (std::int64_t{image->width()} + image->height())) {
        QPainter painter(image);
        painter.setPen(QColor::fromRgb(rgb));
        painter.drawLine(QLineF(x1, y1, x2, y2));
        return;
    }
    for (;;) {
        putPixel(*image, static_cast<std::int32_t>(x), static_cast<std::int32_t>(y), rgb);
        if (x == x2 && y == y2) break;
        const std::int64_t twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x += sx;
        }
        if (twice <= dx) {
            error += dx;
            y += sy;
        }
    }
}

void XgrSetDrawpoint(std::int32_t grid, std::int32_t x, std::int32_t y) {
    if (GridRecord* rec = gridRecord(grid)) {
        rec->drawX = x;
        rec->drawY = y;
    }
}

void XgrDrawText(std::int32_t grid, std::int32_t colour, std::string_view text) {
    GridRecord* rec = gridRecord(grid);
    QImage* image = rec ? targetOf(*rec) : nullptr;
    if (!image || text.empty()) return;
    drawGlyphs(*image, rgbOf(colour), rec->drawX, rec->drawY, text);
    markDirty(*rec, grid);
}

void XgrDrawTextFill(std::int32_t grid, std::int32_t colour, std::string_view text) {
    GridRecord* rec = gridRecord(grid);
    QImage* image = drawTarget(grid);
    if (!rec || !image || text.empty()) return;
    const std::int64_t right =
        std::int64_t{rec->drawX} + static_cast<std::int64_t>(text.size()) * kCharWidth - 1;
    fillClipped(*image, rgbOf(rec->colours[0]), rec->drawX, rec->drawY,
                static_cast<std::int32_t>(std::min<std::int64_t>(right, INT32_MAX)),
                rec->drawY + kCharHeight - 1);
    drawGlyphs(*image, rgbOf(colour), rec->drawX, rec->drawY, text);
    markDirty(grid);
}

void XgrDrawImage(std::int32_t grid, std::int32_t image, std::int32_t sourceX, std::int32_t sourceY,
                  std::int32_t width, std::int32_t height, std::int32_t destX, std::int32_t destY) {
    QImage* target = drawTarget(grid);
    QImage* source = drawTarget(image);
    if (!target || !source || target == source) return;
    QPainter painter(target);
    painter.drawImage(QPoint(destX, destY), *source, QRect(sourceX, sourceY, width, height));
    painter.end();
    markDirty(grid);
}

void XgrGrabPoint(std::int32_t grid, std::int32_t x, std::int32_t y, std::int32_t& red,
                  std::int32_t& green, std::int32_t& blue, std::int32_t& colour) {
    const GridRecord* picture = shownPicture(grid);
    QRgb rgb = qRgb(0, 0, 0);
    if (picture && picture->blank) {
        if (x >= 0 && y >= 0 && x < picture->width && y < picture->height) rgb = *picture->blank;
    } else if (const QImage* image = picture ? &picture->image : drawTarget(grid);
               image && x >= 0 && y >= 0 && x < image->width() && y < image->height()) {
        rgb = reinterpret_cast<const QRgb*>(image->constScanLine(y))[x];
    }
    red = qRed(rgb) * 257;
    green = qGreen(rgb) * 257;
    blue = qBlue(rgb) * 257;
    XgrConvertRGBToColor(red, green, blue, colour);
}

void XgrLoadImage(std::span<const std::uint8_t> fileBytes, std::int32_t& image) {
    ensureApplication();
    image = 0;
    if (fileBytes.empty() || fileBytes.size() > static_cast<std::size_t>(INT32_MAX)) return;
    QImage decoded;
    if (!decoded.loadFromData(fileBytes.data(), static_cast<int>(fileBytes.size()))) return;
    State& s = state();
    s.images.push_back(decoded.convertToFormat(QImage::Format_RGB32));
    image = static_cast<std::int32_t>(s.images.size() - 1);
}

void XgrReleaseImage(std::int32_t image) {
    State& s = state();
    if (image > 0 && static_cast<std::size_t>(image) < s.images.size()) s.images[image] = QImage();
}

void XgrSetImage(std::int32_t grid, std::int32_t image) {
    State& s = state();
    GridRecord* rec = gridRecord(grid);
    if (!rec || image <= 0 || static_cast<std::size_t>(image) >= s.images.size()) return;
    const QImage& source = s.images[image];
    if (source.isNull()) return;
    QImage* target = drawTarget(grid);
    if (!target) return;
    QPainter painter(target);
    painter.drawImage(0, 0, source);
    painter.end();
    markDirty(grid);
}

bool XgrSaveGridImage(std::int32_t grid, const std::string& path) {
    QImage* image = drawTarget(grid);
    return image && image->save(QString::fromStdString(path), "PNG");
}
