// The main window's exports: which lines the CSV holds (against a brute-force filter on random
// catalogues), the proposed names, and Control+S / Control+E / Control+C through the real windows
// and the real save dialog, including writes that fail.

#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QImage>
#include <QMessageBox>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <map>
#include <random>

#include "common/program_fixture.h"
#include "database/catalogue_table.h"
#include "windows/export_content.h"

namespace quorvanta::testing {
namespace {

// ---- Which lines, under which name -----------------------------------------------------------

// Fields of one CSV text, split the way any CSV reader does: quoted fields may hold commas and
// doubled quotes. Independent of the writer under test.
std::vector<std::vector<std::string>> csvRecords(const std::string& text) {
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                fields.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                fields.back() += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else if (c == '\n') {
            records.push_back(fields);
            fields.assign(1, "");
        } else {
            fields.back() += c;
        }
    }
    return records;
}

std::string hostileText(std::mt19937& random, std::size_t maxLength) {
    static const std::string kAlphabet = "aBc:-+ ,\",\"'()/;=019";
    std::string text(std::uniform_int_distribution<std::size_t>(1, maxLength)(random), ' ');
    for (char& c : text)
        c = kAlphabet[std::uniform_int_distribution<std::size_t>(0, kAlphabet.size() - 1)(random)];
    return text;
}

struct ModelMedium {
    std::string name, phase;
    bool selected = false;
};
struct ModelLine {
    std::string medium;
    double wavelength = 0.0;
    std::string note;  // as exported: empty for bytes that are no note
};

// Random media (some sharing a name, each with its own phase), some selected; lines of them, of
// no medium, at the view's very ends, just outside them, NaN; notes hostile or not notes at all.
TEST(ExportLines, MatchABruteForceFilterOnRandomCataloguesWithHostileNames) {
    std::mt19937 random(1064);
    auto pick = [&random](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    static const char* const kPhases[] = {"solid", "liquid", "gas", "plasma"};
    int rowsSeen = 0, sharedNamesSeen = 0;
    for (int round = 0; round < 60; ++round) {
        SpectrumView view = SpectrumView::startValues();
        view.scale = static_cast<std::int32_t>(pick(2));
        view.viewWidth = std::exp(
            std::uniform_real_distribution<double>(std::log(10.0), std::log(19990.0))(random));
        view.viewCentre = std::uniform_real_distribution<double>(10, 20000)(random);
        view.clampView();

        std::vector<ModelMedium> media(1 + pick(8));
        for (ModelMedium& m : media) {
            m.name =
                pick(3) == 0 && &m != &media.front() ? media.front().name : hostileText(random, 20);
            // A file of unknown origin may hold any byte in a name; a line end would split a row.
            if (pick(4) == 0) m.name[pick(m.name.size())] = "\n\r\t\xE6"[pick(4)];
            m.phase = kPhases[pick(4)];
            m.selected = pick(3) != 0;
        }
        const double inside = view.leftEnd() + view.viewWidth * 0.5;
        const double candidates[] = {view.leftEnd(),
                                     view.rightEnd(),
                                     std::nextafter(view.leftEnd(), 0.0),
                                     std::nextafter(view.rightEnd(), 1e9),
                                     inside,
                                     inside,
                                     view.leftEnd() + view.viewWidth * 0.97,
                                     std::nan("")};
        std::vector<ModelLine> lines(pick(30));
        CatalogueImage catalogue;
        for (const ModelMedium& m : media)
            catalogue.medium(m.name, m.phase);
        for (ModelLine& line : lines) {
            line.medium = pick(8) == 0 ? "no such medium" : media[pick(media.size())].name;
            line.wavelength = candidates[pick(std::size(candidates))];
            Transition record = makeTransition(line.medium, line.wavelength);
            if (pick(5) == 0) {
                record.bytes[kNoteOffset] = 0x07;  // not printable: no note
            } else {
                line.note = hostileText(random, kMaxNoteLength);
                setNote(record, line.note);
            }
            catalogue.line(record);
        }
        TransitionDatabase db;
        db.minWavelength = 20000;
        db.maxWavelength = 10;
        const auto image = catalogue.bytes();
        loadTransitionDatabase(image, "random", db);
        for (std::size_t i = 0; i < media.size(); ++i)
            db.mediumSelected[i + 1] = media[i].selected ? 1 : 0;

        // Brute force: every line, its medium the last selected one of its name.
        std::vector<std::pair<double, std::vector<std::string>>> expected;
        for (const ModelLine& line : lines) {
            const ModelMedium* shown = nullptr;
            for (const ModelMedium& m : media)
                if (m.selected && m.name == line.medium) shown = &m;
            if (!shown ||
                !(line.wavelength >= view.leftEnd() && line.wavelength <= view.rightEnd()))
                continue;
            expected.push_back(
                {line.wavelength, {printableAscii(shown->name), shown->phase, "", line.note}});
        }
        std::stable_sort(expected.begin(), expected.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });

        const auto records = csvRecords(writeCatalogueCsv(linesInView(db, view)));
        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_FALSE(records.empty());
        EXPECT_EQ(records.front(),
                  (std::vector<std::string>{"medium", "phase", "wavelength_nm", "note"}));
        ASSERT_EQ(records.size() - 1, expected.size());
        for (std::size_t r = 0; r < expected.size(); ++r) {
            const auto& fields = records[r + 1];
            ASSERT_EQ(fields.size(), 4u) << "row " << r;
            EXPECT_EQ(fields[0], expected[r].second[0]) << "row " << r;
            EXPECT_EQ(fields[1], expected[r].second[1]) << "row " << r;
            EXPECT_EQ(std::strtod(fields[2].c_str(), nullptr), expected[r].first) << "row " << r;
            EXPECT_EQ(fields[3], expected[r].second[3]) << "row " << r;
        }
        rowsSeen += static_cast<int>(expected.size());
        for (const auto& row : expected)
            sharedNamesSeen += row.second[0] == media.front().name && media.size() > 1;
    }
    EXPECT_GT(rowsSeen, 100) << "too few exported lines to test the filter";
    EXPECT_GT(sharedNamesSeen, 10) << "too few lines of media sharing a name";
}

TEST(ExportName, TheRangeToAHundredthOfItsWidthInNm) {
    struct Row {
        const char* name;
        double centre, width;
        const char* stem;
    };
    const Row rows[] = {
        {"start view", 575, 450, "quorvanta-350-800nm"},
        {"whole range", 10005, 19990, "quorvanta-10-20000nm"},
        {"Max Zoom on 632.8 nm", 632.8, 10, "quorvanta-627.8-637.8nm"},
        {"Max Zoom, whole ends", 575, 10, "quorvanta-570-580nm"},
        {"100 nm wide: whole numbers", 1064.3, 120, "quorvanta-1004-1124nm"},
        {"infrared, still in nm", 10600, 20, "quorvanta-10590-10610nm"},
    };
    for (const Row& row : rows) {
        SpectrumView view = SpectrumView::startValues();
        view.viewCentre = row.centre;
        view.viewWidth = row.width;
        EXPECT_EQ(exportFileStem(view), row.stem) << row.name;
    }
}

// ---- Through the windows ---------------------------------------------------------------------

// Answers the next save dialog as a user who types a path and presses Save (or Cancel) would,
// and remembers what the dialog proposed.
class SaveDialogAnswer {
  public:
    explicit SaveDialogAnswer(std::optional<std::string> path) : path_(std::move(path)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { answer(); });
        timer_.start(5);
    }
    bool seen() const { return seen_; }
    const std::string& proposed() const { return proposed_; }

  private:
    void answer() {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        timer_.stop();
        seen_ = true;
        proposed_ = dialog->selectedFiles().value(0).toStdString();
        if (!path_) {
            dialog->reject();
            return;
        }
        dialog->selectFile(QString::fromStdString(*path_));
        static_cast<QDialog*>(dialog)->accept();  // what its Save button does
    }

    std::optional<std::string> path_;
    QTimer timer_;
    bool seen_ = false;
    std::string proposed_;
};

class Export : public ProgramFixture {
  protected:
    void SetUp() override {
        CatalogueImage catalogue;
        catalogue.medium("He-Ne", "gas").medium("Er,Cr:YSGG", "solid").medium("Ar ion", "gas");
        Transition noted = makeTransition("Er,Cr:YSGG", 700.5);
        setNote(noted, "say \"hi\", twice");
        catalogue.line("He-Ne", 632.816).line("He-Ne", 3391.3).line(noted).line("Ar ion", 488);
        start(catalogue);
        // He-Ne and Er,Cr:YSGG shown; Ar ion's line in view is not.
        program.database.mediumSelected[1] = 1;
        program.database.mediumSelected[2] = 1;
        DrawSpectrum(program.view.viewCentre, program.view.viewWidth);
        processQueued();
    }

    static void press(Qt::Key key) {
        QTest::keyClick(widgetOf(program.mainWindow)->window(), key, Qt::ControlModifier);
        processQueued();
    }

    static std::vector<std::uint32_t> picture() {
        std::vector<std::uint32_t> pixels;
        for (std::int32_t y = 0; y < 600; ++y)
            for (std::int32_t x = 0; x < 1000; ++x)
                pixels.push_back(mainPixel(x, y));
        return pixels;
    }

    static QMessageBox* warning() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) return box;
        return nullptr;
    }

    static std::vector<std::string> namesIn(const std::filesystem::path& folder) {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

const char* const kLinesInStartView =
    "medium,phase,wavelength_nm,note\n"
    "He-Ne,gas,632.816,\n"
    "\"Er,Cr:YSGG\",solid,700.5,\"say \"\"hi\"\", twice\"\n";

TEST_F(Export, ThePictureFileIsTheDrawingBufferPixelForPixel) {
    const std::vector<std::uint32_t> before = picture();
    const SpectrumView view = program.view;
    const std::vector<std::string> namesBefore = namesIn(dir_.path());
    const auto path = dir_ / "spectrum.png";
    SaveDialogAnswer answer(path.string());
    press(Qt::Key_S);
    ASSERT_TRUE(answer.seen()) << "no save dialog";
    EXPECT_EQ(answer.proposed(), (dir_ / "quorvanta-350-800nm.png").string());

    QImage saved(QString::fromStdString(path.string()));
    ASSERT_EQ(saved.size(), QSize(1000, 600));
    std::int64_t differing = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 1000; ++x)
            differing += (saved.pixel(x, y) & 0xFFFFFF) != before[std::size_t(y * 1000 + x)];
    EXPECT_EQ(differing, 0) << "pixels of the file unlike the buffer";
    EXPECT_EQ(picture(), before) << "the export changed the picture";
    EXPECT_EQ(program.view.viewCentre, view.viewCentre);
    EXPECT_EQ(program.view.viewWidth, view.viewWidth);
    std::vector<std::string> names = namesBefore;
    names.push_back("spectrum.png");
    std::sort(names.begin(), names.end());
    EXPECT_EQ(namesIn(dir_.path()), names) << "a temporary file left behind";
}

TEST_F(Export, TheLinesFileAndTheClipboardHoldTheLinesInView) {
    const std::vector<std::uint32_t> before = picture();
    const auto folder = dir_ / "tables";
    std::filesystem::create_directory(folder);
    {
        SaveDialogAnswer answer((folder / "lines").string());  // the extension comes by itself
        press(Qt::Key_E);
        ASSERT_TRUE(answer.seen()) << "no save dialog";
        EXPECT_EQ(answer.proposed(), (dir_ / "quorvanta-350-800nm.csv").string());
    }
    EXPECT_EQ(readText(folder / "lines.csv"), kLinesInStartView);
    {
        SaveDialogAnswer cancel(std::nullopt);
        press(Qt::Key_E);
        ASSERT_TRUE(cancel.seen());
        EXPECT_EQ(cancel.proposed(), (folder / "quorvanta-350-800nm.csv").string())
            << "the next save starts in the folder of the last";
    }
    QGuiApplication::clipboard()->clear();
    press(Qt::Key_C);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), kLinesInStartView);
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"lines.csv"});
    EXPECT_EQ(warning(), nullptr);
    EXPECT_EQ(picture(), before) << "an export changed the picture";
}

// A read-only folder stops everyone but root; so that it stops root too, root makes the write
// under the identity of nobody.
TEST_F(Export, AFailedWriteLeavesNoFileAndSaysWhyInAWarning) {
    struct Row {
        const char* name;
        Qt::Key key;
        const char* target;  // in the folder "target"
        const char* warning;
    };
    const Row rows[] = {
        {"lines", Qt::Key_E, "lines.csv",
         "The lines were not saved: cannot create a temporary file beside "},
        {"picture", Qt::Key_S, "picture.png",
         "The picture was not saved: cannot create a temporary file beside "},
    };
    ::chmod(dir_.path().c_str(), 0755);
    constexpr uid_t kNobody = 65534;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto folder = dir_ / "target";
        std::filesystem::remove_all(folder);
        std::filesystem::create_directory(folder);
        const std::vector<std::string> namesBefore = namesIn(folder);
        ::chmod(folder.c_str(), 0555);
        const bool asNobody = ::geteuid() == 0;
        {
            SaveDialogAnswer answer((folder / row.target).string());
            if (asNobody) {
                ASSERT_EQ(::seteuid(kNobody), 0);
            }
            press(row.key);
            if (asNobody) {
                ASSERT_EQ(::seteuid(0), 0);
            }
            ASSERT_TRUE(answer.seen());
        }
        ::chmod(folder.c_str(), 0755);
        EXPECT_EQ(namesIn(folder), namesBefore) << "a file or temporary left behind";
        QMessageBox* box = warning();
        ASSERT_NE(box, nullptr) << "no warning";
        const std::string text = box->text().toStdString();
        EXPECT_EQ(text.rfind(row.warning, 0), 0u) << text;
        EXPECT_NE(text.find((folder / row.target).string()), std::string::npos) << text;
        box->close();
        processQueued();
    }
}

}  // namespace
}  // namespace quorvanta::testing
