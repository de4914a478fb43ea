// Windows on the screens: a window is shown at most as large as its screen's available area and
// then scrolls over its grid, and a position that would leave a window out of reach is known as
// such.

#include <QApplication>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "toolkit/toolkit.h"
#include "toolkit/toolkit_internal.h"

namespace xb {

namespace {

// The part of a window that must lie on one screen for its position to be used: this many
// pixels wide and high, within the window's top band of kReachBand rows, where the frame's title
// bar is grabbed.
constexpr std::int64_t kMinVisibleWidth = 100;
constexpr std::int64_t kMinVisibleHeight = 50;
constexpr std::int64_t kReachBand = 100;
// One wheel step (Qt scrolls three per notch) moves a scrolling window by this many pixels, so
// that a notch moves the medium window by one of its 150-pixel columns.
constexpr int kScrollStep = 50;

// Rectangles in 64 bits: positions come from a file and may be anything.
struct Box {
    std::int64_t left, top, width, height;
    std::int64_t right() const { return left + width; }  // exclusive
    std::int64_t bottom() const { return top + height; }
};

Box intersection(const Box& a, const Box& b) {
    const std::int64_t left = std::max(a.left, b.left), top = std::max(a.top, b.top);
    const std::int64_t right = std::min(a.right(), b.right());
    const std::int64_t bottom = std::min(a.bottom(), b.bottom());
    return {left, top, std::max<std::int64_t>(0, right - left),
            std::max<std::int64_t>(0, bottom - top)};
}

// Qt's offscreen platform, unless given a screen configuration, reports one nameless nominal
// screen that stands for no display at all: windows keep their design geometry there.
bool screensKnown() {
    ensureApplication();
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) return true;
    const QScreen* primary = QGuiApplication::primaryScreen();
    return primary && !primary->name().isEmpty();
}

std::vector<Box> availableAreas() {
    std::vector<Box> areas;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect a = screen->availableGeometry();
        areas.push_back({a.x(), a.y(), a.width(), a.height()});
    }
    return areas;
}

Box primaryArea() {
    const QScreen* primary = QGuiApplication::primaryScreen();
    const QRect a = primary ? primary->availableGeometry() : QRect(0, 0, 1280, 1024);
    return {a.x(), a.y(), a.width(), a.height()};
}

// The available area of the screen that holds most of the window, or of the primary screen.
Box areaFor(const Box& window) {
    Box best = primaryArea();
    std::int64_t bestOverlap = 0;
    for (const Box& area : availableAreas()) {
        const Box part = intersection(window, area);
        if (part.width * part.height > bestOverlap) {
            bestOverlap = part.width * part.height;
            best = area;
        }
    }
    return best;
}

int scrollBarExtent() {
    return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

// Scrolls the window grid of a window shown smaller than it. With nothing to scroll vertically,
// the wheel scrolls sideways.
class GridViewport : public QScrollArea {
  public:
    explicit GridViewport(QWidget* top) : QScrollArea(top) {
        setFrameShape(QFrame::NoFrame);
        setFocusPolicy(Qt::NoFocus);
        setWidgetResizable(false);
        horizontalScrollBar()->setSingleStep(kScrollStep);
        verticalScrollBar()->setSingleStep(kScrollStep);
    }

  protected:
    void wheelEvent(QWheelEvent* event) override {
        const QScrollBar* vertical = verticalScrollBar();
        const QPoint delta = event->angleDelta();
        if (vertical->minimum() == vertical->maximum() &&
            std::abs(delta.y()) >= std::abs(delta.x())) {
            QCoreApplication::sendEvent(horizontalScrollBar(), event);
            return;
        }
        QScrollArea::wheelEvent(event);
    }
};

}  // namespace

QSize shownWindowSize(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (!screensKnown()) return {width, height};
    const Box area = areaFor({x, y, width, height});
    const std::int64_t fitWidth = std::max<std::int64_t>(area.width, 1);
    const std::int64_t fitHeight = std::max<std::int64_t>(area.height, 1);
    // A scroll bar takes room from the other direction, which may then need one too.
    bool sideways = width > fitWidth, upright = height > fitHeight;
    for (int pass = 0; pass < 2; ++pass) {
        sideways = sideways || width + (upright ? scrollBarExtent() : 0) > fitWidth;
        upright = upright || height + (sideways ? scrollBarExtent() : 0) > fitHeight;
    }
    const std::int64_t shownWidth = width + std::int64_t{upright ? scrollBarExtent() : 0};
    const std::int64_t shownHeight = height + std::int64_t{sideways ? scrollBarExtent() : 0};
    return {static_cast<int>(std::min(shownWidth, fitWidth)),
            static_cast<int>(std::min(shownHeight, fitHeight))};
}

QScrollArea* makeGridViewport(QWidget* top) {
    auto* viewport = new GridViewport(top);
    viewport->setGeometry(0, 0, top->width(), top->height());
    viewport->show();
    return viewport;
}

}  // namespace xb

using namespace xb;

void XuiFitWindowSize(std::int32_t x, std::int32_t y, std::int32_t& width, std::int32_t& height) {
    const QSize shown = shownWindowSize(x, y, width, height);
    width = shown.width();
    height = shown.height();
}

bool XuiWindowReachable(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
    if (!screensKnown()) return true;
    const Box window{x, y, std::max(width, 1), std::max(height, 1)};
    const Box band{window.left, window.top, window.width, std::min(window.height, kReachBand)};
    const std::int64_t needWidth = std::min(kMinVisibleWidth, window.width);
    const std::int64_t needHeight = std::min(kMinVisibleHeight, window.height);
    const std::vector<Box> areas = availableAreas();
    return std::any_of(areas.begin(), areas.end(), [&](const Box& area) {
        const Box part = intersection(band, area);
        return part.width >= needWidth && part.height >= needHeight;
    });
}

void XuiKeepWindowOnScreen(std::int32_t& x, std::int32_t& y, std::int32_t width,
                           std::int32_t height) {
    if (!screensKnown()) return;
    const Box area = areaFor({x, y, std::max(width, 1), std::max(height, 1)});
    auto keep = [](std::int64_t at, std::int64_t size, std::int64_t low, std::int64_t room) {
        return static_cast<std::int32_t>(std::max(low, std::min(at, low + room - size)));
    };
    x = keep(x, width, area.left, area.width);
    y = keep(y, height, area.top, area.height);
}
