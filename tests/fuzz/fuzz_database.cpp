// Fuzzes the catalogue reader. Whatever the bytes, loading must not fault, and the model must hold
// together:
//   - the counts agree with the arrays, nothing is selected, the extremes only left their seeds
//     outwards, and the report says damaged exactly when the header's promise was not kept;
//   - the medium-name relation gives, for every line, exactly the media of its name, ascending
//     (checked against a plain map of names), short only of the lines counted as unresolved;
//   - with some media selected, shownMedium is the last selected medium of the line's media;
//   - the model's own image loads back to the same counts and the same bytes;
//   - the file reader, given the same bytes as a file, loads the same model;
//   - quorvanta-db's info, check and dump take the file without fault, and a dump that succeeds
//     builds back into the same media and lines.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <span>
#include <sstream>
#include <string_view>
#include <vector>

#include "catalogue_csv.h"
#include "catalogue_records.h"
#include "commands.h"
#include "database/transition_database.h"
#include "fuzz_check.h"

namespace {

using namespace quorvanta;

constexpr double kMinSeed = 20000.0;  // the display bounds, crossed, as start-up seeds them
constexpr double kMaxSeed = 10.0;

TransitionDatabase seeded() {
    TransitionDatabase db;
    db.minWavelength = kMinSeed;
    db.maxWavelength = kMaxSeed;
    return db;
}

bool sameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Same records (the image holds the counts and every record's bytes) and same derived state.
bool sameModel(const TransitionDatabase& a, const TransitionDatabase& b) {
    return serializeTransitionDatabase(a) == serializeTransitionDatabase(b) &&
           sameBits(a.minWavelength, b.minWavelength) &&
           sameBits(a.maxWavelength, b.maxWavelength) && a.matchStart == b.matchStart &&
           a.matchMedia == b.matchMedia && a.unresolvedTransitions == b.unresolvedTransitions;
}

void checkShape(const TransitionDatabase& db, const LoadReport& report, std::size_t size) {
    FUZZ_CHECK(db.mediumCount >= 0 && db.mediumCount <= kMaxRecords);
    FUZZ_CHECK(db.transitionCount >= 0 && db.transitionCount <= kMaxRecords);
    FUZZ_CHECK(db.media.size() == std::size_t(db.mediumCount) + 1 &&
               db.mediumSelected.size() == db.media.size());
    FUZZ_CHECK(db.transitions.size() == std::size_t(db.transitionCount) + 1 &&
               db.matchStart.size() == std::size_t(db.transitionCount) + 2);
    FUZZ_CHECK(std::all_of(db.mediumSelected.begin(), db.mediumSelected.end(),
                           [](std::int32_t s) { return s == 0; }));
    FUZZ_CHECK(!(db.minWavelength > kMinSeed) && !(db.maxWavelength < kMaxSeed));
    FUZZ_CHECK(std::size_t(kHeaderSize) + std::size_t(db.mediumCount) * kMediumRecordSize +
                   std::size_t(db.transitionCount) * kTransitionRecordSize <=
               std::max<std::size_t>(size, kHeaderSize));
    FUZZ_CHECK(report.damaged == (report.status != LoadReport::Status::Loaded) &&
               report.damaged == !report.message.empty());
    FUZZ_CHECK(db.matchMedia.size() <= kMaxMediumMatches);
}

// The relation against a map from each name to its media, built here independently.
void checkRelation(const TransitionDatabase& db) {
    std::map<std::string_view, std::vector<std::int32_t>> mediaByName;
    for (std::int32_t i = 1; i <= db.mediumCount; ++i)
        mediaByName[db.media[std::size_t(i)].name()].push_back(i);
    std::int32_t unresolved = 0;
    for (std::int32_t k = 1; k <= db.transitionCount; ++k) {
        const auto found = mediaByName.find(db.transitions[std::size_t(k)].mediumName());
        const auto media = db.mediaOf(k);
        if (found == mediaByName.end()) {
            FUZZ_CHECK(media.empty());
        } else if (media.empty()) {
            ++unresolved;
        } else {
            FUZZ_CHECK(
                std::equal(media.begin(), media.end(), found->second.begin(), found->second.end()));
        }
    }
    FUZZ_CHECK(unresolved == db.unresolvedTransitions);
    FUZZ_CHECK(db.mediaOf(0).empty() && db.mediaOf(db.transitionCount + 1).empty());
}

// Selects media by the input's own bytes and checks which medium each line is drawn in.
void checkShownMedium(TransitionDatabase& db, std::span<const std::uint8_t> bytes) {
    for (std::int32_t i = 1; i <= db.mediumCount; ++i)
        db.mediumSelected[std::size_t(i)] = bytes[std::size_t(i) % bytes.size()] & 1;
    for (std::int32_t k = 1; k <= db.transitionCount; ++k) {
        std::int32_t expected = 0;
        for (std::int32_t i : db.mediaOf(k))
            if (db.mediumSelected[std::size_t(i)] == 1) expected = i;
        FUZZ_CHECK(db.shownMedium(k) == expected);
    }
    FUZZ_CHECK(db.shownMedium(0) == 0 && db.shownMedium(db.transitionCount + 1) == 0);
    std::fill(db.mediumSelected.begin(), db.mediumSelected.end(), 0);
}

// `quorvanta-db dump` exits 0 only when building its output gives back every medium and line:
// names, phases, wavelengths and notes, in order. (Bytes the viewer never reads, such as the
// header's phase count and the reserved bytes that hold no note, are not kept.)
void checkTool(const std::string& path, const TransitionDatabase& db) {
    std::ostringstream out, errors;
    const auto run = [&](std::string_view command) {
        out.str("");
        const std::string_view args[] = {command, path};
        return dbtool::runCommand(args, out, errors);
    };
    FUZZ_CHECK(run("info") != dbtool::kExitBadUsage && run("check") != dbtool::kExitBadUsage);
    if (run("dump") != dbtool::kExitSuccess) return;
    const dbtool::CatalogueTable table = dbtool::parseCatalogueCsv(out.str());
    FUZZ_CHECK(table.errors.empty());
    const TransitionDatabase rebuilt = dbtool::catalogueFromRows(table.rows);
    FUZZ_CHECK(rebuilt.mediumCount == db.mediumCount &&
               rebuilt.transitionCount == db.transitionCount);
    for (std::size_t i = 1; i < db.media.size(); ++i)
        FUZZ_CHECK(db.media[i].name() == rebuilt.media[i].name() &&
                   db.media[i].phase() == rebuilt.media[i].phase());
    for (std::size_t k = 1; k < db.transitions.size(); ++k) {
        const Transition &a = db.transitions[k], &b = rebuilt.transitions[k];
        FUZZ_CHECK(a.mediumName() == b.mediumName() && sameBits(a.wavelength(), b.wavelength()));
        FUZZ_CHECK(dbtool::noteOf(a).value_or("") == dbtool::noteOf(b).value_or(""));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    TransitionDatabase db = seeded();
    const LoadReport report = loadTransitionDatabase(bytes, "fuzz.dat", db);
    checkShape(db, report, size);
    checkRelation(db);
    if (size > 0) checkShownMedium(db, bytes);

    // The model's image: what a complete file of the loaded records would hold.
    const std::vector<std::uint8_t> image = serializeTransitionDatabase(db);
    TransitionDatabase reloaded = seeded();
    const LoadReport again = loadTransitionDatabase(image, "image.dat", reloaded);
    FUZZ_CHECK(again.status == LoadReport::Status::Loaded ||
               again.status == LoadReport::Status::TooManyMatches);
    FUZZ_CHECK(sameModel(db, reloaded));
    if (report.status != LoadReport::Status::TooShortForHeader) {
        // The records are the input's own bytes after the header, up to the last complete one.
        FUZZ_CHECK(image.size() <= size);
        FUZZ_CHECK(std::equal(image.begin() + kHeaderSize, image.end(), data + kHeaderSize));
    }

    static fuzz::MemoryFile file;
    const std::string& path = file.hold(bytes);
    TransitionDatabase fromFile = seeded();
    const LoadReport fileReport = loadTransitionDatabaseFile(path, fromFile);
    FUZZ_CHECK(fileReport.status == report.status && fileReport.damaged == report.damaged);
    FUZZ_CHECK(sameModel(db, fromFile));

    checkTool(path, db);
    return 0;
}
