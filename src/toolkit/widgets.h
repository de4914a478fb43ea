// The Qt widgets behind windows and window grids.
#pragma once

#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStringList>
#include <QWidget>
#include <cstdint>

namespace xb {

// A top-level window of fixed size. A close request from the frame becomes CloseWindow; being
// shown or restored becomes Redrawn. Neither closes nor repaints anything by itself.
class TopWindow : public QWidget {
  public:
    explicit TopWindow(std::int32_t window);

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    // Keys that no kid takes become WindowKeyDown to the window's grid.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    std::int32_t window_;
};

// A window grid: shows its drawing buffer and reports the pointer as window mouse messages in
// grid coordinates. It paints its toggles that have no widget of their own and takes the left
// button's clicks on them, as a toggle widget would (painted_toggles.cpp).
// Tracking the pointer, it also reports moves with no button held and the pointer leaving it, into
// the window system's elsewhere or into one of its kids.
class GridWidget : public QWidget {
  public:
    GridWidget(std::int32_t grid, QWidget* parent);
    void trackPointer();

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void childEvent(QChildEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    void report(QMouseEvent* event, std::int32_t message, std::int32_t buttons);
    void reportExit();
    void paintToggles(QPainter& painter, const QRect& area);
    // The painted toggle under a point of the grid, or 0.
    std::int32_t toggleAt(QPoint at) const;
    // Pressing, dragging and releasing the left button on a painted toggle; true when the event
    // was the toggle's.
    bool pressToggle(QMouseEvent* event);
    bool dragToggle(QMouseEvent* event);
    bool releaseToggle(QMouseEvent* event);
    bool showToggleHint(QEvent* event);

    std::int32_t grid_;
    bool tracking_ = false;
    QPoint last_;                     // where the pointer was last reported
    std::int32_t pressedToggle_ = 0;  // held down by the left button
    bool pressedDown_ = false;        // and the pointer still on it: shown sunken
};

// The face of a pressed toggle, painted or a widget.
inline constexpr QRgb kPressedToggleFace = 0x1d4f91;
inline constexpr QRgb kPressedToggleText = 0xffffff;

// A push button that stays pressed or released; pressed, its face turns a clear blue so that a
// selection reads at a glance.
class ToggleWidget : public QPushButton {
  public:
    explicit ToggleWidget(QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

// A one-line text field: edits become TextModified, the keys that move through a list of results
// become KeyDown.
class TextLineWidget : public QLineEdit {
  public:
    TextLineWidget(std::int32_t grid, QWidget* parent);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    std::int32_t grid_;
};

// Rows of text painted one under the other, one of them highlighted; a click on a row becomes
// Selection with the row's number.
class ListWidget : public QWidget {
  public:
    ListWidget(std::int32_t grid, QWidget* parent);
    void setRows(const std::string& rows);
    void setHighlight(int row);
    int highlight() const { return highlight_; }
    int rowHeight() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    std::int32_t grid_;
    QStringList rows_;
    int highlight_ = -1;
};

}  // namespace xb
