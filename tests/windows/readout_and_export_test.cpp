// What the main window tells of its picture: the readout under the resting pointer, and the
// lines exported by Control+E through the real save dialog.

#include <unistd.h>

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>
#include <cmath>

#include "common/program_fixture.h"
#include "database/catalogue_table.h"
#include "windows/export_content.h"

namespace quorvanta::testing {
namespace {

constexpr std::int32_t kBandRow = 550;

Transition noted(std::string_view medium, double wavelength, std::string_view note) {
    Transition line = makeTransition(medium, wavelength);
    setNote(line, note);
    return line;
}

class Readout : public ProgramFixture {
  protected:
    void SetUp() override {
        CatalogueImage catalogue;
        catalogue.medium("Dye", "liquid").medium("He-Ne", "gas").medium("Nd:YAG", "solid");
        catalogue.line(noted("He-Ne", 632.816, "red\x7F line\xE9")).line("Nd:YAG", 1064.1);
        for (int i = 0; i < 12; ++i)
            catalogue.line("Dye", (450101 + i) / 1000.0);  // 450.101 .. 450.112
        start(catalogue);
        program.database.mediumSelected = {0, 1, 1, 1};
        show(575, 450, Logarithmic);
    }
    static void show(double centre, double width, std::int32_t scale) {
        setView(centre, width, scale);
        DrawSpectrum(centre, width);
        processQueued();
    }
    static std::int32_t columnOf(double wavelength) {
        return std::int32_t(std::lround(program.view.xOf(wavelength)));
    }
    static std::vector<XuiReadoutRow> rowsAt(std::int32_t column) {
        return readoutRows(program.drawnLines, program.database, column);
    }
    static void moveTo(QWidget* widget, QPoint at) {
        QTest::mouseMove(widget, at);
        processQueued();
    }
};

// Every line drawn within 3 columns of the pointer, nearest first (equally near ones in stored
// order), eight at most, then how many more; each behind a swatch of its medium's colour.
TEST_F(Readout, RowsNameTheLinesUnderThePointerNearestFirst) {
    struct Row {
        const char* name;
        double centre, width;
        std::int32_t scale;
        double pointer;
        int columns;  // from the pointer's wavelength
        std::vector<std::string> lines;
    };
    const std::string heNe = "632.816 nm | He-Ne (gas) | red? line?";
    std::vector<std::string> dye;
    for (int i = 1; i <= 8; ++i)
        dye.push_back("450.10" + std::to_string(i) + " nm | Dye (liquid)");
    dye.push_back("\x85 and 4 more");
    const Row rows[] = {
        {"a noted line", 575, 450, Logarithmic, 632.816, 0, {heNe}},
        {"3 columns right of it", 575, 450, Logarithmic, 632.816, 3, {heNe}},
        {"3 columns left of it", 575, 450, Logarithmic, 632.816, -3, {heNe}},
        {"4 columns left of it", 575, 450, Logarithmic, 632.816, -4, {}},
        {"micrometres as labelled", 1064, 20, Linear, 1064.1, 0, {"1.0641 \xE6m | Nd:YAG (solid)"}},
        {"twelve lines in reach", 575, 450, Linear, 450, 0, dye},
    };
    for (const Row& row : rows) {
        show(row.centre, row.width, row.scale);
        std::vector<std::string> lines;
        for (const XuiReadoutRow& shown : rowsAt(columnOf(row.pointer) + row.columns)) {
            std::string text;
            for (const std::string& cell : shown.cells)
                text += (text.empty() ? "" : " | ") + cell;
            lines.push_back(text);
            const int medium = text.find("Dye") < 20 ? 1 : text.find("He-Ne") < 20 ? 2 : 3;
            if (lines.size() > 1 && shown.cells.size() > 1) {
                EXPECT_EQ(shown.swatch, MediumColour(medium)) << row.name << ": " << text;
            }
        }
        EXPECT_EQ(std::vector(lines.begin() + 1, lines.end()), row.lines) << row.name;
    }
}

TEST_F(Readout, ShowsWhileThePointerRestsOnThePicture) {
    show(575, 450, Linear);
    const QPoint onLine(columnOf(632.816), 400);
    moveTo(grid(), onLine);
    ASSERT_TRUE(XuiReadoutVisible());
    EXPECT_EQ(XuiGetReadoutRows(), rowsAt(onLine.x()));

    struct Step {
        const char* name;
        void (*act)();
    };
    const Step hiding[] = {
        {"a redraw by Lin/Log", [] { click(program.mainWindow, LinLogKid); }},
        {"a move with the right button held",
         [] {
             QTest::mousePress(grid(), Qt::RightButton, {}, QPoint(300, 300));
             moveTo(grid(), QPoint(310, 400));
             QTest::mouseRelease(grid(), Qt::RightButton, {}, QPoint(310, 400));
         }},
        {"a press on the band",
         [] {
             QTest::mousePress(grid(), Qt::LeftButton, {}, QPoint(500, kBandRow));
             processQueued();
         }},
    };
    int row = 0;
    for (const Step& step : hiding) {
        moveTo(grid(), onLine + QPoint(0, ++row));  // a move to where it is would be none
        ASSERT_TRUE(XuiReadoutVisible()) << "before " << step.name;
        step.act();
        EXPECT_FALSE(XuiReadoutVisible()) << step.name;
    }
    QTest::mouseRelease(grid(), Qt::LeftButton, {}, QPoint(500, kBandRow));
}

TEST(ExportName, TheRangeToAHundredthOfItsWidthInNm) {
    struct Row {
        double centre, width;
        const char* stem;
    };
    const Row rows[] = {
        {575, 450, "quorvanta-350-800nm"},      {10005, 19990, "quorvanta-10-20000nm"},
        {632.8, 10, "quorvanta-627.8-637.8nm"}, {575, 10, "quorvanta-570-580nm"},
        {1064.3, 120, "quorvanta-1004-1124nm"}, {10600, 20, "quorvanta-10590-10610nm"}};
    for (const Row& row : rows) {
        SpectrumView view = SpectrumView::startValues();
        view.viewCentre = row.centre;
        view.viewWidth = row.width;
        EXPECT_EQ(exportFileStem(view), row.stem);
    }
}

// Answers the next save dialog as a user who types a path and presses Save (none: Cancel), and
// keeps what the dialog proposed.
class SaveDialogAnswer {
  public:
    explicit SaveDialogAnswer(std::optional<std::string> path) : path_(std::move(path)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            timer_.stop();
            proposed = dialog->selectedFiles().value(0).toStdString();
            if (!path_) return dialog->reject();
            dialog->selectFile(QString::fromStdString(*path_));
            static_cast<QDialog*>(dialog)->accept();  // what its Save button does
        });
        timer_.start(5);
    }
    std::string proposed;  // empty: no dialog came up

  private:
    std::optional<std::string> path_;
    QTimer timer_;
};

// Lines at the view's very ends and just outside, of no medium, of an unselected medium, of two
// media sharing a name (listed under the last selected), equally long ones in stored order.
class Export : public ProgramFixture {
  protected:
    void SetUp() override {
        CatalogueImage catalogue;
        catalogue.medium("He-Ne", "gas").medium("Er,Cr:YSGG", "solid").medium("Ar ion", "gas");
        catalogue.medium("He-Ne", "liquid").medium("Tab\there", "solid");
        catalogue.line("He-Ne", 800)
            .line("He-Ne", 632.8164)
            .line(noted("Er,Cr:YSGG", 350, "say \"hi\""));
        catalogue.line("Ar ion", 488).line(noted("Tab\there", 500, "a, b")).line("Er,Cr:YSGG", 500);
        catalogue.line("He-Ne", 800.0001)
            .line("He-Ne", 349.9999)
            .line("no such", 600)
            .line("He-Ne", NAN);
        start(catalogue);
        program.database.mediumSelected = {0, 1, 1, 0, 1, 1};
        setView(575, 450, Linear);
        DrawSpectrum(575, 450);
        processQueued();
    }
    static void press(Qt::Key k) { key(k, Qt::ControlModifier); }
};

const char* const kLinesInView =
    "medium,phase,wavelength_nm,note\n"
    "\"Er,Cr:YSGG\",solid,350,\"say \"\"hi\"\"\"\n"
    "Tab?here,solid,500,\"a, b\"\n"
    "\"Er,Cr:YSGG\",solid,500,\n"
    "He-Ne,liquid,632.8164,\n"
    "He-Ne,liquid,800,\n";

TEST_F(Export, TheLinesFileHoldsWhatIsInViewAndTheNextSaveStartsBesideIt) {
    const auto folder = dir_ / "tables";
    std::filesystem::create_directory(folder);
    {
        SaveDialogAnswer answer((folder / "lines").string());  // the extension comes by itself
        press(Qt::Key_E);
        EXPECT_EQ(answer.proposed, (dir_ / "quorvanta-350-800nm.csv").string());
    }
    EXPECT_EQ(readText(folder / "lines.csv"), kLinesInView);
    {
        SaveDialogAnswer cancel(std::nullopt);
        press(Qt::Key_E);
        EXPECT_EQ(cancel.proposed, (folder / "quorvanta-350-800nm.csv").string())
            << "the next save starts in the folder of the last";
    }
    // A write that fails leaves nothing behind and says why. A read-only folder stops all but
    // root, so root writes as nobody.
    ::chmod(folder.c_str(), 0555);
    {
        SaveDialogAnswer answer((folder / "denied.csv").string());
        ASSERT_TRUE(::geteuid() != 0 || ::seteuid(65534) == 0);
        press(Qt::Key_E);
        ASSERT_TRUE(::getuid() != 0 || ::seteuid(0) == 0);
    }
    ::chmod(folder.c_str(), 0755);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1) << "a temporary";
    QMessageBox* box = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* b = qobject_cast<QMessageBox*>(w); b && b->isVisible()) box = b;
    ASSERT_NE(box, nullptr) << "a failed write without a warning";
    EXPECT_TRUE(box->text().startsWith("The lines were not saved: cannot create a temporary file"))
        << box->text().toStdString();
    EXPECT_EQ(program.view.viewWidth, 450);
}

}  // namespace
}  // namespace quorvanta::testing
