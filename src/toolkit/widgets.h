// The Qt widgets behind windows and window grids.
#pragma once

#include <QPushButton>
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

  private:
    std::int32_t window_;
};

// A window grid: shows its drawing buffer and reports the pointer as window mouse messages in
// grid coordinates. Tracking the pointer, it also reports moves with no button held and the
// pointer leaving it, into the window system's elsewhere or into one of its kids.
class GridWidget : public QWidget {
  public:
    GridWidget(std::int32_t grid, QWidget* parent);
    void trackPointer();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void childEvent(QChildEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void report(QMouseEvent* event, std::int32_t message, std::int32_t buttons);
    void reportExit();
    std::int32_t grid_;
    bool tracking_ = false;
    QPoint last_;  // where the pointer was last reported
};

// A push button that stays pressed or released; pressed, its face turns a clear blue so that a
// selection reads at a glance.
class ToggleWidget : public QPushButton {
  public:
    explicit ToggleWidget(QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace xb
