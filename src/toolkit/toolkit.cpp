// Registries, windows, grids, kids and the message loop of the toolkit.

#include "toolkit/toolkit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "toolkit/toolkit_internal.h"
#include "toolkit/widgets.h"

namespace xb {

namespace {

constexpr std::array<const char*, static_cast<int>(Known::Count)> kKnownNames = {
    "Callback",      "Change",          "CloseWindow",
    "Create",        "DisplayWindow",   "GetColor",
    "GetGridNumber", "GetPosition",     "GetValue",
    "GetValues",     "GetWindowSize",   "HideWindow",
    "Initialize",    "MuchLess",        "MuchMore",
    "OneLess",       "OneMore",         "Redrawn",
    "Resize",        "SelectWindow",    "Selection",
    "SetCallback",   "SetColor",        "SetColorExtra",
    "SetFont",       "SetGridName",     "SetGridProperties",
    "SetHintString", "SetPosition",     "SetStyle",
    "SetTextString", "SetTexture",      "SetValue",
    "SetValues",     "SetWindowTitle",  "ShowWindow",
    "WindowCreate",  "WindowMouseDown", "WindowMouseMove",
    "WindowMouseUp", "WindowRegister",  "LastMessage",
};

// Font size values are given in twentieths of a pixel.
constexpr int kFontSizeUnitsPerPixel = 20;

bool isMessage(std::int32_t message, Known name) {
    return message != 0 && message == known(name);
}

QString latin1(const std::string& text) {
    QString result;
    result.reserve(static_cast<int>(text.size()));
    for (unsigned char c : text)
        result.append(c == 0xE6 ? QChar(0x00B5) : QChar(c));
    return result;
}

QColor qcolour(std::int32_t colour) {
    return QColor::fromRgb(rgbOf(colour));
}

void applyButtonLook(GridRecord& rec) {
    auto* button = qobject_cast<QAbstractButton*>(rec.widget.data());
    if (!button) return;
    auto& looks = state().buttonLooks;
    const auto key = std::make_pair(button->palette().cacheKey(), rec.colourExtra);
    if (const auto found = looks.find(key); found != looks.end()) {
        button->setPalette(found->second);
        return;
    }
    // Extra colours: face, text, shadow, light.
    QPalette palette = button->palette();
    const QColor face = qcolour(rec.colourExtra[0]);
    const QColor text = qcolour(rec.colourExtra[1]);
    palette.setColor(QPalette::Button, face);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Shadow, qcolour(rec.colourExtra[2]));
    palette.setColor(QPalette::Light, qcolour(rec.colourExtra[3]));
    palette.setColor(QPalette::Dark, face.darker(160));
    palette.setColor(QPalette::Mid, face.darker(130));
    palette.setColor(QPalette::Midlight, face.lighter(130));
    button->setPalette(palette);
    looks.emplace(key, palette);
}

void applyScrollPosition(GridRecord& rec) {
    auto* bar = qobject_cast<QScrollBar*>(rec.widget.data());
    if (!bar) return;
    // The thumb covers start..end of low..high; Qt's value is the thumb's start.
    const std::int64_t page = std::max<std::int64_t>(0, std::int64_t{rec.end} - rec.start);
    const std::int64_t maximum = std::max<std::int64_t>(rec.low, std::int64_t{rec.high} - page);
    QSignalBlocker blocker(bar);
    bar->setRange(rec.low, static_cast<int>(maximum));
    bar->setPageStep(static_cast<int>(std::clamp<std::int64_t>(page, 1, INT32_MAX)));
    bar->setSingleStep(1);
    bar->setValue(rec.start);
}

// Offscreen has no stacking order to change (and says so on every call).
void raiseWindow(QWidget* top) {
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) top->raise();
}

void windowOperation(std::int32_t grid, Known operation, std::int32_t& v0, std::int32_t& v1,
                     std::int32_t& v2, std::int32_t& v3, std::int32_t r1) {
    GridRecord* rec = gridRecord(grid);
    if (!rec) return;
    WindowRecord* win = windowRecord(rec->window);
    if (!win || !win->widget) return;
    QWidget* top = win->widget;
    switch (operation) {
        case Known::ShowWindow:
        case Known::DisplayWindow:
            if (top->isMinimized()) top->showNormal();
            top->show();
            raiseWindow(top);
            break;
        case Known::HideWindow:
            top->hide();
            break;
        case Known::SelectWindow:
            raiseWindow(top);
            if (QGuiApplication::platformName() != QLatin1String("offscreen"))
                top->activateWindow();
            break;
        case Known::SetWindowTitle:
            win->title = XstGetText(r1);
            top->setWindowTitle(latin1(win->title));
            break;
        case Known::GetWindowSize:
            // Frame position and client size: moving the window to (v0, v1) puts it back here.
            v0 = top->x();
            v1 = top->y();
            v2 = top->width();
            v3 = top->height();
            break;
        default:
            break;
    }
}

void forwardToCallback(std::int32_t grid, std::int32_t message, std::int32_t v0, std::int32_t v1,
                       std::int32_t v2, std::int32_t v3) {
    GridRecord* rec = gridRecord(grid);
    if (!rec || rec->callbackFunction == 0) return;
    GridFunction function = XuiFunctionAt(rec->callbackFunction);
    if (!function) return;
    std::int32_t target = rec->callbackGrid;
    std::int32_t wrapped = known(Known::Callback);
    std::int32_t kid = rec->callbackKid;
    std::int32_t inner = message;
    function(target, wrapped, v0, v1, v2, v3, kid, inner);
}

// What every grid does with the messages the toolkit knows, whether a window grid (through its
// default-processing table) or a kid (through its own function).
std::int32_t commonProcess(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                           std::int32_t& v1, std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,
                           std::int32_t& r1) {
    GridRecord* rec = gridRecord(grid);
    if (!rec || message == 0) return 0;
    const std::int32_t m = message;
    auto is = [m](Known name) { return isMessage(m, name); };
    if (is(Known::SetCallback)) {
        rec->callbackGrid = v0;
        rec->callbackFunction = v1;
        rec->callbackKid = r0;
    } else if (is(Known::SetGridName)) {
        rec->name = XstGetText(r1);
    } else if (is(Known::SetColor)) {
        rec->colours = {v0, v1, v2, v3};
    } else if (is(Known::GetColor)) {
        v0 = rec->colours[0];
        v1 = rec->colours[1];
        v2 = rec->colours[2];
        v3 = rec->colours[3];
    } else if (is(Known::SetColorExtra)) {
        rec->colourExtra = {v0, v1, v2, v3};
        applyButtonLook(*rec);
    } else if (is(Known::SetFont)) {
        if (rec->widget && rec->kind != GridKind::WindowGrid) {
            auto& fonts = state().fonts;
            const auto key = std::make_tuple(
                XstGetText(r1), std::clamp(v0 / kFontSizeUnitsPerPixel, 6, 48), v1 >= 600);
            auto found = fonts.find(key);
            if (found == fonts.end()) {
                QFont font(latin1(std::get<0>(key)));
                font.setPixelSize(std::get<1>(key));
                font.setWeight(std::get<2>(key) ? QFont::Bold : QFont::Normal);
                found = fonts.emplace(key, font).first;
            }
            rec->widget->setFont(found->second);
        }
    } else if (is(Known::SetTexture)) {
        rec->texture = v0;
    } else if (is(Known::SetStyle)) {
        rec->style = v0;
    } else if (is(Known::SetTextString)) {
        rec->text = XstGetText(r1);
        // A medium's name may hold '&', which a button would take for a shortcut mark.
        if (auto* button = qobject_cast<QAbstractButton*>(rec->widget.data()))
            button->setText(latin1(rec->text).replace(QLatin1Char('&'), QLatin1String("&&")));
    } else if (is(Known::SetHintString)) {
        rec->hint = XstGetText(r1);
        if (rec->widget) rec->widget->setToolTip(latin1(rec->hint));
    } else if (is(Known::SetValue)) {
        if (auto* button = qobject_cast<QAbstractButton*>(rec->widget.data());
            button && button->isCheckable()) {
            QSignalBlocker blocker(button);
            button->setChecked(v0 != 0);
        }
        rec->values[0] = v0;
    } else if (is(Known::GetValue)) {
        if (auto* button = qobject_cast<QAbstractButton*>(rec->widget.data());
            button && button->isCheckable())
            v0 = button->isChecked() ? -1 : 0;
        else
            v0 = rec->values[0];
    } else if (is(Known::SetValues)) {
        rec->values = {v0, v1};
    } else if (is(Known::GetValues)) {
        v0 = rec->values[0];
        v1 = rec->values[1];
    } else if (is(Known::GetGridNumber)) {
        v0 = grid;
    } else if (is(Known::SetPosition)) {
        rec->low = v0;
        rec->start = v1;
        rec->end = v2;
        rec->high = v3;
        applyScrollPosition(*rec);
    } else if (is(Known::GetPosition)) {
        v0 = rec->low;
        v1 = rec->start;
        v2 = rec->end;
        v3 = rec->high;
    } else if (is(Known::ShowWindow) || is(Known::DisplayWindow) || is(Known::HideWindow) ||
               is(Known::SelectWindow) || is(Known::SetWindowTitle) || is(Known::GetWindowSize)) {
        Known operation = Known::ShowWindow;
        for (Known k : {Known::ShowWindow, Known::DisplayWindow, Known::HideWindow,
                        Known::SelectWindow, Known::SetWindowTitle, Known::GetWindowSize})
            if (is(k)) operation = k;
        windowOperation(grid, operation, v0, v1, v2, v3, r1);
    } else if (is(Known::CloseWindow)) {
        forwardToCallback(grid, m, v0, v1, v2, v3);
    } else if (is(Known::Callback)) {
        return XuiCallback(grid, message, v0, v1, v2, v3, r0, r1);
    } else if (is(Known::Resize)) {
        if (rec->widget && v2 > 0 && v3 > 0 && rec->kind != GridKind::WindowGrid) {
            rec->widget->setGeometry(v0, v1, v2, v3);
            rec->x = v0, rec->y = v1, rec->width = v2, rec->height = v3;
        }
    }
    return 0;
}

// Selection of buttons and the scroll bars' own messages go on to the kid's callback.
std::int32_t kidProcess(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                        std::int32_t& v1, std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,
                        std::int32_t& r1) {
    for (Known k : {Known::Selection, Known::Change, Known::OneLess, Known::OneMore,
                    Known::MuchLess, Known::MuchMore}) {
        if (isMessage(message, k)) {
            forwardToCallback(grid, message, v0, v1, v2, v3);
            return 0;
        }
    }
    return commonProcess(grid, message, v0, v1, v2, v3, r0, r1);
}

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
    if (kind == GridKind::PushButton || kind == GridKind::Toggle) {
        QPushButton* button =
            kind == GridKind::Toggle ? new ToggleWidget(host) : new QPushButton(host);
        if (kind == GridKind::Toggle) {
            GridRecord* hostRec = gridRecord(parent);
            if (!hostRec->toggles) {
                hostRec->toggles = new QButtonGroup(host);
                hostRec->toggles->setExclusive(false);
            }
            // An explicit id: without one the group looks through every id it holds for the
            // lowest, quadratic again over a window's toggles.
            hostRec->toggles->addButton(button, grid);
        }
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoFillBackground(true);
        QObject::connect(button, &QPushButton::clicked, [grid](bool checked) {
            queueMessage(grid, known(Known::Selection), checked ? -1 : 0, 0, 0, 1, 0, 0);
        });
        widget = button;
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
    widget->setGeometry(rec.x, rec.y, rec.width, rec.height);
    widget->show();
    rec.widget = widget;
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

// A hidden top-level window of fixed size at (x, y); its number.
std::int32_t createTopWindow(std::int32_t x, std::int32_t y, std::int32_t width,
                             std::int32_t height) {
    ensureApplication();
    State& s = state();
    s.windows.emplace_back();
    const auto window = static_cast<std::int32_t>(s.windows.size() - 1);
    WindowRecord& rec = s.windows.back();
    rec.alive = true;
    auto* top = new TopWindow(window);
    top->setFixedSize(std::max(width, 1), std::max(height, 1));
    top->move(x, y);
    rec.widget = top;
    return window;
}

void dispatch(QueuedMessage m) {
    State& s = state();
    if (s.ceo) {
        QueuedMessage c = m;
        s.ceo(c.grid, c.message, c.v0, c.v1, c.v2, c.v3, c.r0, c.r1);
    }
    GridRecord* rec = gridRecord(m.grid);
    if (!rec || !rec->function) return;
    rec->function(m.grid, m.message, m.v0, m.v1, m.v2, m.v3, m.r0, m.r1);
}

}  // namespace

State& state() {
    static State instance;
    return instance;
}

void ensureApplication() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "quorvanta";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
    QApplication::setStyle(QStyleFactory::create("Fusion"));
}

std::int32_t known(Known message) {
    return state().known[static_cast<int>(message)];
}

GridRecord* gridRecord(std::int32_t grid) {
    State& s = state();
    if (grid <= 0 || static_cast<std::size_t>(grid) >= s.grids.size()) return nullptr;
    GridRecord& rec = s.grids[grid];
    return rec.alive ? &rec : nullptr;
}

WindowRecord* windowRecord(std::int32_t window) {
    State& s = state();
    if (window <= 0 || static_cast<std::size_t>(window) >= s.windows.size()) return nullptr;
    WindowRecord& rec = s.windows[window];
    return rec.alive ? &rec : nullptr;
}

void queueMessage(std::int32_t grid, std::int32_t message, std::int32_t v0, std::int32_t v1,
                  std::int32_t v2, std::int32_t v3, std::int32_t r0, std::int32_t r1) {
    if (message == 0) return;  // never registered: nobody could tell it apart
    state().queue.push_back({grid, message, v0, v1, v2, v3, r0, r1});
}

// ---- Widgets -------------------------------------------------------------------------------

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
    report(event, known(Known::WindowMouseDown), buttonBits(event->buttons() | event->button()));
}

void GridWidget::mouseReleaseEvent(QMouseEvent* event) {
    report(event, known(Known::WindowMouseUp), buttonBits(event->buttons() | event->button()));
}

void GridWidget::mouseMoveEvent(QMouseEvent* event) {
    report(event, known(Known::WindowMouseMove), buttonBits(event->buttons()));
}

}  // namespace xb

using namespace xb;

// ---- Process and runtime -------------------------------------------------------------------

int XxxMain(int argc, char** argv, void (*entry)()) {
    static int savedArgc = 1;
    static std::vector<char*> savedArgv;
    if (!QCoreApplication::instance()) {
        savedArgc = argc > 0 ? argc : 1;
        savedArgv.assign(argv, argv + savedArgc);
        savedArgv.push_back(nullptr);
        new QApplication(savedArgc, savedArgv.data());
        QApplication::setStyle(QStyleFactory::create("Fusion"));
    }
    entry();
    return 0;
}

void XxxTerminate(std::int32_t status) {
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(status);
}

void XstSetProgramName(std::string_view name) {
    ensureApplication();
    QCoreApplication::setApplicationName(QString::fromLatin1(name.data(), name.size()));
}

std::string XstGetCurrentDirectory() {
    std::error_code error;
    std::filesystem::path path = std::filesystem::current_path(error);
    return error ? std::string(".") : path.string();
}

void XstHideConsole() {}

void XstLog(std::string_view line) {
    std::cerr << line << '\n';
    std::cerr.flush();
}

void XuiHelpDisable() {
    state().helpEnabled = false;
}
void XuiHelpEnable() {
    state().helpEnabled = true;
}
bool XuiHelpEnabled() {
    return state().helpEnabled;
}

void XgrGetDisplaySize(std::string_view, std::int32_t& width, std::int32_t& height,
                       std::int32_t& borderWidth, std::int32_t& titleHeight) {
    ensureApplication();
    QScreen* screen = QGuiApplication::primaryScreen();
    const QSize size = screen ? screen->size() : QSize(1280, 1024);
    width = size.width();
    height = size.height();
    borderWidth = 0;
    titleHeight = 0;
}

// ---- Texts and functions -------------------------------------------------------------------

std::int32_t XstCreateText(std::string_view text) {
    State& s = state();
    const std::int32_t number = s.nextText++;
    s.texts.emplace(number, std::string(text));
    return number;
}

std::string XstGetText(std::int32_t text) {
    const auto& texts = state().texts;
    auto found = texts.find(text);
    return found == texts.end() ? std::string() : found->second;
}

void XstReleaseText(std::int32_t text) {
    state().texts.erase(text);
}

std::int32_t XuiFunctionNumber(GridFunction function) {
    if (!function) return 0;
    auto& functions = state().functions;
    auto found = std::find(functions.begin() + 1, functions.end(), function);
    if (found != functions.end()) return static_cast<std::int32_t>(found - functions.begin());
    functions.push_back(function);
    return static_cast<std::int32_t>(functions.size() - 1);
}

GridFunction XuiFunctionAt(std::int32_t number) {
    const auto& functions = state().functions;
    if (number <= 0 || static_cast<std::size_t>(number) >= functions.size()) return nullptr;
    return functions[number];
}

// ---- Message names -------------------------------------------------------------------------

void XgrRegisterMessage(std::string_view name, std::int32_t& message) {
    State& s = state();
    std::string key(name);
    auto found = s.messageNumbers.find(key);
    if (found != s.messageNumbers.end()) {
        message = found->second;
        return;
    }
    message = static_cast<std::int32_t>(s.messageNames.size());
    s.messageNames.push_back(key);
    s.messageNumbers.emplace(key, message);
    for (std::size_t i = 0; i < kKnownNames.size(); ++i)
        if (key == kKnownNames[i]) s.known[i] = message;
}

void XgrMessageNameToNumber(std::string_view name, std::int32_t& message) {
    const auto& numbers = state().messageNumbers;
    auto found = numbers.find(std::string(name));
    message = found == numbers.end() ? 0 : found->second;
}

std::string XgrMessageNumberToName(std::int32_t message) {
    const auto& names = state().messageNames;
    if (message <= 0 || static_cast<std::size_t>(message) >= names.size()) return {};
    return names[message];
}

void XgrRegisterCursor(std::string_view name, std::int32_t& cursor) {
    auto& cursors = state().cursors;
    auto [it, added] =
        cursors.emplace(std::string(name), static_cast<std::int32_t>(cursors.size() + 1));
    cursor = it->second;
}

void XgrRegisterIcon(std::string_view name, std::int32_t& icon) {
    auto& icons = state().icons;
    auto [it, added] =
        icons.emplace(std::string(name), static_cast<std::int32_t>(icons.size() + 1));
    icon = it->second;
}

// ---- Grid types ----------------------------------------------------------------------------

void XuiGetDefaultMessageFuncArray(std::vector<GridFunction>& functions) {
    std::int32_t last = known(Known::LastMessage);
    if (last <= 0) last = static_cast<std::int32_t>(state().messageNames.size()) - 1;
    functions.assign(static_cast<std::size_t>(std::max(last, 0)) + 1, nullptr);
    // Messages the grid function's own steps handle get no default processing.
    for (std::size_t i = 0; i < kKnownNames.size(); ++i) {
        const auto name = static_cast<Known>(i);
        const std::int32_t number = state().known[i];
        if (number <= 0 || number > last) continue;
        switch (name) {
            case Known::Create:
            case Known::Redrawn:
            case Known::Selection:
            case Known::LastMessage:
            case Known::WindowCreate:
            case Known::WindowRegister:
            case Known::WindowMouseDown:
            case Known::WindowMouseMove:
            case Known::WindowMouseUp:
                break;
            default:
                functions[number] = commonProcess;
        }
    }
}

void XuiRegisterGridType(std::int32_t& gridType, std::string_view name, GridFunction function,
                         const std::vector<GridFunction>& defaults) {
    State& s = state();
    GridTypeRecord rec;
    rec.name = std::string(name);
    rec.function = function;
    rec.defaults = defaults;
    s.gridTypes.push_back(std::move(rec));
    gridType = static_cast<std::int32_t>(s.gridTypes.size() - 1);
}

void XuiSetGridTypeProperty(std::int32_t gridType, std::string_view property, std::int32_t value) {
    State& s = state();
    if (gridType <= 0 || static_cast<std::size_t>(gridType) >= s.gridTypes.size()) return;
    s.gridTypes[gridType].properties[std::string(property)] = value;
}

std::int32_t XuiGetGridTypeProperty(std::int32_t gridType, std::string_view property) {
    State& s = state();
    if (gridType <= 0 || static_cast<std::size_t>(gridType) >= s.gridTypes.size()) return 0;
    const auto& properties = s.gridTypes[gridType].properties;
    auto found = properties.find(property);
    return found == properties.end() ? 0 : found->second;
}

std::int32_t XuiProcessMessage(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                               std::int32_t& v1, std::int32_t& v2, std::int32_t& v3,
                               std::int32_t& r0, std::int32_t& r1, std::int32_t gridType) {
    State& s = state();
    if (gridType <= 0 || static_cast<std::size_t>(gridType) >= s.gridTypes.size()) return 0;
    const auto& defaults = s.gridTypes[gridType].defaults;
    if (message < 0 || static_cast<std::size_t>(message) >= defaults.size()) return 0;
    GridFunction function = defaults[message];
    return function ? function(grid, message, v0, v1, v2, v3, r0, r1) : 0;
}

// ---- Grid functions of the toolkit ---------------------------------------------------------

std::int32_t XuiSendMessage(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                            std::int32_t& v1, std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,
                            std::int32_t& r1) {
    std::int32_t target = grid;
    if (r0 > 0) {
        if (std::int32_t kid = XuiGetKid(grid, r0)) target = kid;
    }
    GridRecord* rec = gridRecord(target);
    if (!rec) return 0;
    if (!rec->function) return commonProcess(target, message, v0, v1, v2, v3, r0, r1);
    return rec->function(target, message, v0, v1, v2, v3, r0, r1);
}

std::int32_t XuiCallback(std::int32_t& grid, std::int32_t& message, std::int32_t& v0,
                         std::int32_t& v1, std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,
                         std::int32_t& r1) {
    GridRecord* rec = gridRecord(grid);
    if (!rec || rec->callbackFunction == 0) return 0;
    GridFunction function = XuiFunctionAt(rec->callbackFunction);
    if (!function) return 0;
    std::int32_t target = rec->callbackGrid;
    std::int32_t wrapped = message;
    std::int32_t kid = r0;
    std::int32_t inner = r1;
    if (!isMessage(message, Known::Callback)) {
        wrapped = known(Known::Callback);
        kid = rec->kidNumber;
        inner = message;
    }
    std::int32_t a0 = v0, a1 = v1, a2 = v2, a3 = v3;
    return function(target, wrapped, a0, a1, a2, a3, kid, inner);
}

#define XB_WITH_MESSAGE(function, name)                                                          \
    std::int32_t function(std::int32_t& grid, std::int32_t&, std::int32_t& v0, std::int32_t& v1, \
                          std::int32_t& v2, std::int32_t& v3, std::int32_t& r0,                  \
                          std::int32_t& r1) {                                                    \
        std::int32_t message = known(Known::name);                                               \
        return commonProcess(grid, message, v0, v1, v2, v3, r0, r1);                             \
    }

XB_WITH_MESSAGE(XuiSetValue, SetValue)
XB_WITH_MESSAGE(XuiGetValues, GetValues)
XB_WITH_MESSAGE(XuiSetValues, SetValues)
XB_WITH_MESSAGE(XuiGetColor, GetColor)
XB_WITH_MESSAGE(XuiSetWindowTitle, SetWindowTitle)
XB_WITH_MESSAGE(XuiGetWindowSize, GetWindowSize)
XB_WITH_MESSAGE(XuiShowWindow, ShowWindow)
XB_WITH_MESSAGE(XuiHideWindow, HideWindow)
XB_WITH_MESSAGE(XuiSelectWindow, SelectWindow)

#undef XB_WITH_MESSAGE

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

std::int32_t XuiCall(GridFunction function, std::int32_t grid, std::int32_t message,
                     std::int32_t v0, std::int32_t v1, std::int32_t v2, std::int32_t v3,
                     std::int32_t r0, std::int32_t r1) {
    return function ? function(grid, message, v0, v1, v2, v3, r0, r1) : 0;
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
    if (WindowRecord* win = windowRecord(window); win && win->grid == 0) win->grid = grid;
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

// ---- Queries -------------------------------------------------------------------------------

std::int32_t XuiGetKid(std::int32_t grid, std::int32_t kidNumber) {
    GridRecord* rec = gridRecord(grid);
    if (!rec || kidNumber <= 0 || static_cast<std::size_t>(kidNumber) > rec->kids.size()) return 0;
    return rec->kids[kidNumber - 1];
}

std::int32_t XuiKidCount(std::int32_t grid) {
    GridRecord* rec = gridRecord(grid);
    return rec ? static_cast<std::int32_t>(rec->kids.size()) : 0;
}

std::int32_t XuiGetKidNumber(std::int32_t grid) {
    GridRecord* rec = gridRecord(grid);
    return rec ? rec->kidNumber : 0;
}

std::int32_t XuiGetWindow(std::int32_t grid) {
    GridRecord* rec = gridRecord(grid);
    return rec ? rec->window : 0;
}

std::string XuiGetGridName(std::int32_t grid) {
    GridRecord* rec = gridRecord(grid);
    return rec ? rec->name : std::string();
}

std::string XuiGetTextString(std::int32_t grid) {
    GridRecord* rec = gridRecord(grid);
    return rec ? rec->text : std::string();
}

std::string XuiGetHintString(std::int32_t grid) {
    GridRecord* rec = gridRecord(grid);
    return rec ? rec->hint : std::string();
}

std::string XuiGetWindowTitle(std::int32_t grid) {
    GridRecord* rec = gridRecord(grid);
    WindowRecord* win = rec ? windowRecord(rec->window) : nullptr;
    return win ? win->title : std::string();
}

bool XuiWindowVisible(std::int32_t grid) {
    GridRecord* rec = gridRecord(grid);
    WindowRecord* win = rec ? windowRecord(rec->window) : nullptr;
    return win && win->widget && win->widget->isVisible();
}

bool XuiToggleState(std::int32_t grid) {
    GridRecord* rec = gridRecord(grid);
    auto* button = rec ? qobject_cast<QAbstractButton*>(rec->widget.data()) : nullptr;
    return button && button->isChecked();
}

void XuiGetPosition(std::int32_t grid, std::int32_t& low, std::int32_t& start, std::int32_t& end,
                    std::int32_t& high) {
    GridRecord* rec = gridRecord(grid);
    low = rec ? rec->low : 0;
    start = rec ? rec->start : 0;
    end = rec ? rec->end : 0;
    high = rec ? rec->high : 0;
}

void XuiGetGridBox(std::int32_t grid, std::int32_t& x, std::int32_t& y, std::int32_t& width,
                   std::int32_t& height) {
    GridRecord* rec = gridRecord(grid);
    x = rec ? rec->x : 0;
    y = rec ? rec->y : 0;
    width = rec ? rec->width : 0;
    height = rec ? rec->height : 0;
}

void* XuiNativeWidget(std::int32_t grid) {
    GridRecord* rec = gridRecord(grid);
    return rec ? rec->widget.data() : nullptr;
}

void* XuiNativeWindow(std::int32_t window) {
    WindowRecord* rec = windowRecord(window);
    return rec ? rec->widget.data() : nullptr;
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
    rec.image = QImage(rec.width, rec.height, QImage::Format_RGB32);
    rec.image.fill(Qt::black);
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
        if (width != rec->image.width() || height != rec->image.height()) {
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

// ---- Message loop --------------------------------------------------------------------------

void XgrSetCEO(GridFunction function) {
    state().ceo = function;
}

void XgrFlushEvents() {
    ensureApplication();
    flushDirtyGrids();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    flushDirtyGrids();
}

void XgrProcessMessages(std::int32_t count) {
    ensureApplication();
    for (std::int32_t i = 0; i < count; ++i) {
        XgrFlushEvents();
        while (state().queue.empty()) {
            flushDirtyGrids();
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        }
        QueuedMessage message = state().queue.front();
        state().queue.pop_front();
        dispatch(message);
    }
}

std::int32_t XgrQueuedMessageCount() {
    return static_cast<std::int32_t>(state().queue.size());
}

void XgrQueueMessage(std::int32_t grid, std::int32_t message, std::int32_t v0, std::int32_t v1,
                     std::int32_t v2, std::int32_t v3, std::int32_t r0, std::int32_t r1) {
    queueMessage(grid, message, v0, v1, v2, v3, r0, r1);
}

void XgrDropQueuedMessages() {
    state().queue.clear();
}

void XgrResetToolkit() {
    State& s = state();
    for (WindowRecord& win : s.windows)
        delete win.widget.data();
    s = State{};
}
