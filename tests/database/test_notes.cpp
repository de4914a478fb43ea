// Line notes: what quorvanta-db stores in a line record's reserved bytes comes back with the line,
// and whatever else those bytes hold is shown safely.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "common/catalogue_image.h"
#include "common/temp_dir.h"
#include "database_fixtures.h"
#include "tools/tool_runner.h"

namespace quorvanta {
namespace {

using testing::CatalogueImage;
using testing::loadImage;

TEST(LineNotes, ComeBackFromFilesTheToolBuilt) {
    struct Row {
        const char* name;
        std::string note;  // as written in the table's last column
    };
    const std::vector<Row> rows = {
        {"a plain note", "red line"},
        {"no note", ""},
        {"punctuation and digits", "3s2-2p4 (air); the common red line"},
        {"the longest note the tool takes", std::string(119, 'n')},
    };
    const testing::TempDir dir;
    std::string table = "medium,phase,wavelength_nm,note\n";
    for (std::size_t i = 0; i < rows.size(); ++i)
        table += "He-Ne,gas," + std::to_string(600 + i) + "," + rows[i].note + "\n";
    testing::writeFile(dir / "lines.csv", table);
    const testing::ToolRun built = testing::runTool(
        dir, {"build", (dir / "lines.csv").string(), "-o", (dir / "wavelength.dat").string()});
    ASSERT_EQ(built.status, 0) << built.err;

    TransitionDatabase db = testing::seededDatabase();
    ASSERT_EQ(loadTransitionDatabaseFile((dir / "wavelength.dat").string(), db).status,
              LoadReport::Status::Loaded);
    ASSERT_EQ(db.transitionCount, static_cast<std::int32_t>(rows.size()));
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(db.transitions[i + 1].note(), rows[i].note) << rows[i].name;
}

// A line record whose note field holds the given bytes from its start, zeros after them.
Transition withNoteBytes(std::string_view bytes) {
    Transition line = makeTransition("Dye", 590.0);
    std::memcpy(line.bytes.data() + kNoteOffset, bytes.data(),
                std::min<std::size_t>(bytes.size(), kNoteFieldSize));
    return line;
}

TEST(LineNotes, HostileBytesAreShownSafely) {
    using namespace std::string_literals;
    struct Row {
        const char* name;
        std::string field;
        std::string shown;
    };
    const std::vector<Row> rows = {
        {"a field of zeros", "", ""},
        {"text ends at the first NUL", "abc\0garbage after it"s, "abc"},
        {"control bytes, DEL and bytes above ASCII", "\x01tab\there\x7f\xe6\xff"s, "?tab?here???"},
        {"a NUL-free field is cut at its end", std::string(kNoteFieldSize, 'x'),
         std::string(kNoteFieldSize, 'x')},
        {"markup is plain text", "<b>bold</b> &amp;", "<b>bold</b> &amp;"},
    };
    CatalogueImage image;
    image.medium("Dye", "liquid");
    for (const Row& row : rows)
        image.line(withNoteBytes(row.field));
    // The record after the NUL-free field begins with a medium name: none of it joins the note.
    image.line("Dye", 600.0);
    const testing::Loaded loaded = loadImage(image.bytes());
    ASSERT_EQ(loaded.db.transitionCount, static_cast<std::int32_t>(rows.size() + 1));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Transition& line = loaded.db.transitions[i + 1];
        EXPECT_EQ(line.note(), rows[i].shown) << rows[i].name;
        EXPECT_EQ(line.wavelength(), 590.0) << rows[i].name << ": the note moved the wavelength";
    }
}

}  // namespace
}  // namespace quorvanta
