// Every user action on the main window's scroll bars must reach the program as a scroll message,
// or be unavailable: a thumb moved behind the program's back no longer shows the view. After each
// action the thumb must stand where updateScrollBars puts it for the view the program holds.
// Regression: the context menu's "Scroll here", "Left edge" and "Right edge" ("Top", "Bottom")
// moved the thumb and told the program nothing.
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTimer>
#include <QWheelEvent>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "common/program_fixture.h"

namespace quorvanta::testing {
namespace {

struct Thumb {
    int minimum, maximum, value, pageStep;
    bool operator==(const Thumb&) const = default;
};

// A Change leaves the thumb where the user put it, while the view it sets is scaled by
// 20000 / 19999 (HBar) or 19990 / 19995 (VBar): updateScrollBars would put the thumb up to 1
// or 5 units away. A thumb the program was not told of is thousands of units away here.
int changeRounding(std::int32_t kid) {
    return kid == HBarKid ? 1 : 5;
}

bool sameThumb(const Thumb& shown, const Thumb& set, int rounding) {
    return shown.minimum == set.minimum && shown.maximum == set.maximum &&
           shown.pageStep == set.pageStep && std::abs(shown.value - set.value) <= rounding;
}

std::string describe(const Thumb& t) {
    return "range " + std::to_string(t.minimum) + ".." + std::to_string(t.maximum) + ", value " +
           std::to_string(t.value) + ", page " + std::to_string(t.pageStep);
}

class ScrollBarActions : public ProgramFixture {
  protected:
    void SetUp() override {
        CatalogueImage catalogue;
        catalogue.medium("HeNe", "gas").line("HeNe", 632.8);
        start(catalogue);
    }

    static QScrollBar* bar(std::int32_t kid) {
        return static_cast<QScrollBar*>(widgetOf(XuiGetKid(program.mainWindow, kid)));
    }
    static Thumb thumbOf(const QScrollBar* b) {
        return {b->minimum(), b->maximum(), b->value(), b->pageStep()};
    }

    // A view away from both ends of the range and of the widths, thumbs set to match.
    static void middleView() {
        setView(5000, 2000, Linear);
        updateScrollBars();
    }

    // The thumb after an action and after the program has handled what it was told, against
    // where updateScrollBars puts it for the program's view.
    static void expectThumbMatchesView(QScrollBar* b, std::int32_t kid, const std::string& action) {
        processQueued();
        const Thumb shown = thumbOf(b);
        updateScrollBars();
        EXPECT_TRUE(sameThumb(shown, thumbOf(b), changeRounding(kid)))
            << action << ": shown " << describe(shown) << ", but the view puts the thumb at "
            << describe(thumbOf(b));
    }

    // Opens the bar's context menu as a right click does. When a menu comes up, chooses its
    // entry number choice (none: closes it) and returns the texts of its entries.
    static std::vector<QString> contextMenu(QScrollBar* b, int choice) {
        std::vector<QString> entries;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) return;
            QAction* chosen = nullptr;
            for (QAction* action : menu->actions()) {
                if (action->isSeparator()) continue;
                if (int(entries.size()) == choice) chosen = action;
                entries.push_back(action->text());
            }
            if (chosen) {
                menu->setActiveAction(chosen);
                QTest::keyClick(menu, Qt::Key_Return);
            } else {
                menu->close();
            }
        });
        const QPoint at(b->width() / 2, b->height() / 2);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, b->mapToGlobal(at));
        QApplication::sendEvent(b, &event);
        QApplication::processEvents();
        return entries;
    }

    static QPoint thumbCentre(QScrollBar* b) {
        QStyleOptionSlider option;
        option.initFrom(b);
        option.subControls = QStyle::SC_All;
        option.orientation = b->orientation();
        option.minimum = b->minimum();
        option.maximum = b->maximum();
        option.sliderPosition = b->sliderPosition();
        option.sliderValue = b->value();
        option.singleStep = b->singleStep();
        option.pageStep = b->pageStep();
        return b->style()
            ->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, b)
            .center();
    }
};

TEST_F(ScrollBarActions, EveryActionLeavesTheThumbWhereTheViewPutsIt) {
    for (const std::int32_t kid : {HBarKid, VBarKid}) {
        QScrollBar* b = bar(kid);
        const bool horizontal = b->orientation() == Qt::Horizontal;
        const std::string name = horizontal ? "HBar " : "VBar ";
        const int length = horizontal ? b->width() : b->height();
        auto along = [&](int position) {
            return horizontal ? QPoint(position, b->height() / 2)
                              : QPoint(b->width() / 2, position);
        };

        // Clicks from one arrow across the trough to the other, plain, with Shift and with the
        // middle button (which some styles take as "jump here").
        for (const int position : {3, length / 5, length / 2, length * 4 / 5, length - 4}) {
            for (const auto& [button, modifiers, how] :
                 {std::tuple{Qt::LeftButton, Qt::KeyboardModifiers{}, "click"},
                  std::tuple{Qt::LeftButton, Qt::KeyboardModifiers{Qt::ShiftModifier},
                             "shift-click"},
                  std::tuple{Qt::MiddleButton, Qt::KeyboardModifiers{}, "middle click"}}) {
                middleView();
                QTest::mouseClick(b, button, modifiers, along(position));
                expectThumbMatchesView(b, kid, name + how + " at " + std::to_string(position));
            }
        }

        middleView();
        const QPoint thumb = thumbCentre(b);
        QTest::mousePress(b, Qt::LeftButton, {}, thumb);
        QTest::mouseMove(b, thumb + along(length / 4) - along(0));
        QTest::mouseRelease(b, Qt::LeftButton, {}, thumb + along(length / 4) - along(0));
        expectThumbMatchesView(b, kid, name + "thumb dragged");

        for (const int delta : {120, -120, 360}) {
            middleView();
            const QPointF at = along(length / 2);
            QWheelEvent wheel(at, b->mapToGlobal(at), {}, {0, delta}, Qt::NoButton, {},
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(b, &wheel);
            expectThumbMatchesView(b, kid, name + "wheel " + std::to_string(delta));
        }

        // Each entry of the context menu, if there is one.
        middleView();
        const std::vector<QString> entries = contextMenu(b, -1);
        expectThumbMatchesView(b, kid, name + "context menu opened and closed");
        for (int i = 0; i < int(entries.size()); ++i) {
            middleView();
            contextMenu(b, i);
            expectThumbMatchesView(b, kid,
                                   name + "context menu \"" + entries[i].toStdString() + "\"");
        }
    }
}

}  // namespace
}  // namespace quorvanta::testing
