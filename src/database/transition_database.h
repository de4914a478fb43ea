// The transition database: the binary catalogue file and its in-memory model.
//
// File layout (little-endian, no gaps):
//   offset 0: transitionCount (u16), 2: mediumCount (u16), 4: phaseCount (u16),
//   6: mediumCount medium records of 28 bytes,
//   then transitionCount transition records of 152 bytes.
// Medium record:     name[20] @0, phase[6] @20, reserved[2] @26.
// Transition record: mediumName[20] @0, reserved[4] @20, wavelength (IEEE double) @24,
//                    reserved[120] @32.
// quorvanta-db keeps a line's note in the transition record's last 120 reserved bytes, as a
// NUL-padded text field; files of other origins may hold anything there.
// A text field's text is its bytes up to the first NUL, or all of its bytes when it holds none.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quorvanta {

inline constexpr int kHeaderSize = 6;
inline constexpr int kNameSize = 20;
inline constexpr int kPhaseSize = 6;
inline constexpr int kMediumRecordSize = 28;
inline constexpr int kTransitionRecordSize = 152;
inline constexpr int kWavelengthOffset = 24;
inline constexpr int kNoteOffset = 32;
inline constexpr int kNoteFieldSize = 120;
inline constexpr int kMaxRecords = 65535;

// The largest image whose every byte can be read: a header promising the most media and
// transitions. Bytes beyond it can never belong to a record.
inline constexpr std::size_t kMaxImageSize =
    kHeaderSize + std::size_t{kMaxRecords} * (kMediumRecordSize + kTransitionRecordSize);

// Upper bound on the entries of the resolved medium-name relation (16 MiB of media numbers).
// A catalogue with unique names needs one entry per transition; only a file in which thousands of
// media share a name with thousands of transitions could need more (up to 65535 x 65535).
inline constexpr std::size_t kMaxMediumMatches = std::size_t{1} << 22;

// The text of a fixed-size NUL-padded field.
std::string_view fieldText(std::span<const std::uint8_t> field);

// A medium exactly as its file record holds it.
struct Medium {
    std::array<std::uint8_t, kMediumRecordSize> bytes{};

    std::string_view name() const;   // at most 20 characters
    std::string_view phase() const;  // "solid", "liquid", "gas" or anything else
};

// A transition exactly as its file record holds it.
struct Transition {
    std::array<std::uint8_t, kTransitionRecordSize> bytes{};

    std::string_view mediumName() const;  // at most 20 characters
    double wavelength() const;            // nm, as stored: may be NaN, infinite or negative
    // The note, safe to show: the note field's text (all of its 120 bytes when it holds no NUL),
    // every byte that is not printable ASCII replaced by '?'. Empty for a field of zeros.
    std::string note() const;
};

struct TransitionDatabase {
    std::int32_t transitionCount = 0;
    std::int32_t mediumCount = 0;
    std::int32_t phaseCount = 0;
    std::vector<Medium> media;                 // indices 0..mediumCount, 0 unused
    std::vector<Transition> transitions;       // indices 0..transitionCount, 0 unused
    std::vector<std::int32_t> mediumSelected;  // parallel to media: 1 shown, 0 not
    double minWavelength = 0.0;                // seeded with the upper display bound before loading
    double maxWavelength = 0.0;                // seeded with the lower display bound before loading

    // The medium-name relation, resolved once at load time: for transition k (1-based), the
    // numbers of the media whose name equals its medium name, ascending. Stored compactly:
    // media numbers matchMedia[matchStart[k] .. matchStart[k + 1]).
    std::vector<std::uint32_t> matchStart;
    std::vector<std::int32_t> matchMedia;

    // Transitions left without media because the relation would have outgrown kMaxMediumMatches;
    // always 0 for a catalogue whose medium names are unique.
    std::int32_t unresolvedTransitions = 0;

    // The media of transition k, ascending; empty for a k outside 1..transitionCount.
    std::span<const std::int32_t> mediaOf(std::int32_t k) const;

    // The medium whose colour transition k is drawn in: the last selected medium with its name,
    // or 0 when none of its media is selected (the transition is then not shown).
    std::int32_t shownMedium(std::int32_t k) const;

    // Rebuilds matchStart/matchMedia from the records (used after loading or building a model), in
    // time proportional to mediumCount + transitionCount.
    void resolveMediumNames();
};

// What loading found. `damaged` is set for a file that exists but does not hold what its header
// promises; `message` is then one line that names the file, what it promised and what was loaded.
// TooManyMatches: the records loaded, but db.unresolvedTransitions transitions were left without
// media (see kMaxMediumMatches).
struct LoadReport {
    enum class Status { Loaded, Missing, Unreadable, Truncated, TooShortForHeader, TooManyMatches };
    Status status = Status::Loaded;
    bool damaged = false;
    std::string message;
};

// Loads a database image into db. db.minWavelength and db.maxWavelength must hold their seeds
// (20000 and 10); they only ever move outwards from them. Every complete record is loaded; the
// counts are cut to what was loaded. Never reads past the data; no input crashes.
LoadReport loadTransitionDatabase(std::span<const std::uint8_t> image, std::string_view sourceName,
                                  TransitionDatabase& db);

// Reads the file at path and loads it. A missing file gives an empty model.
LoadReport loadTransitionDatabaseFile(const std::string& path, TransitionDatabase& db);

// The file image of a model: header, medium records, transition records, exactly as held.
std::vector<std::uint8_t> serializeTransitionDatabase(const TransitionDatabase& db);

// Builders for tools and tests: a record with the given texts (NUL-padded, cut to the field size).
Medium makeMedium(std::string_view name, std::string_view phase);
Transition makeTransition(std::string_view mediumName, double wavelength);

}  // namespace quorvanta
