// Fuzzes the catalogue's CSV reader. Whatever the text, parsing must not fault and its errors come
// in line order. The rows of a text it accepts, written out as CSV, read back the same; and they
// make a catalogue that survives the road of `quorvanta-db build`, `dump`, `build`: the rows build
// a catalogue, its file loads without damage, its dump parses without errors, and building that
// dump gives the same file byte for byte.
#include <bit>
#include <cmath>
#include <cstdint>
#include <string_view>
#include <vector>

#include "catalogue_csv.h"
#include "catalogue_records.h"
#include "database/transition_database.h"
#include "fuzz_check.h"

namespace {

using namespace quorvanta;
using namespace quorvanta::dbtool;

void checkErrors(const CatalogueTable& table) {
    int previousLine = 0;
    for (const CsvError& error : table.errors) {
        FUZZ_CHECK(error.line >= 1 && error.line >= previousLine);
        FUZZ_CHECK(error.column >= 1);
        FUZZ_CHECK(!error.message.empty());
        previousLine = error.line;
    }
}

// What the parser promises of every row of a text without errors.
void checkRow(const CatalogueRow& row) {
    FUZZ_CHECK(!row.medium.empty() && row.medium.size() <= std::size_t(kNameSize));
    FUZZ_CHECK(isPrintableAscii(row.medium));
    FUZZ_CHECK(row.phase == "solid" || row.phase == "liquid" || row.phase == "gas");
    FUZZ_CHECK(std::isfinite(row.wavelength) && row.wavelength > 0.0);
    FUZZ_CHECK(row.note.size() <= kMaxNoteLength && isPrintableAscii(row.note));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const CatalogueTable table = parseCatalogueCsv(text);
    checkErrors(table);
    if (!table.errors.empty()) return 0;
    FUZZ_CHECK(table.rows.size() <= std::size_t(kMaxRecords));
    for (const CatalogueRow& row : table.rows)
        checkRow(row);

    // The table written out as CSV reads back to the same rows.
    const CatalogueTable rewritten = parseCatalogueCsv(writeCatalogueCsv(table.rows));
    FUZZ_CHECK(rewritten.errors.empty() && rewritten.rows.size() == table.rows.size());
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        const CatalogueRow& a = table.rows[r];
        const CatalogueRow& b = rewritten.rows[r];
        FUZZ_CHECK(a.medium == b.medium && a.phase == b.phase && a.note == b.note);
        FUZZ_CHECK(std::bit_cast<std::uint64_t>(a.wavelength) ==
                   std::bit_cast<std::uint64_t>(b.wavelength));
    }

    // build
    const TransitionDatabase built = catalogueFromRows(table.rows);
    const std::vector<std::uint8_t> file = serializeTransitionDatabase(built);
    TransitionDatabase loaded;
    loaded.minWavelength = 20000.0;
    loaded.maxWavelength = 10.0;
    const LoadReport report = loadTransitionDatabase(file, "built.dat", loaded);
    FUZZ_CHECK(!report.damaged);
    FUZZ_CHECK(loaded.transitionCount == std::int32_t(table.rows.size()));

    // dump
    const std::string dumped = writeCatalogueCsv(rowsFromCatalogue(loaded));
    const CatalogueTable reread = parseCatalogueCsv(dumped);
    FUZZ_CHECK(reread.errors.empty());
    FUZZ_CHECK(reread.rows.size() == table.rows.size());

    // build again
    const TransitionDatabase rebuilt = catalogueFromRows(reread.rows);
    FUZZ_CHECK(!firstDifference(loaded, rebuilt).has_value());
    FUZZ_CHECK(serializeTransitionDatabase(rebuilt) == file);
    return 0;
}
