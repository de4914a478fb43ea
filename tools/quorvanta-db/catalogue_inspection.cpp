#include "catalogue_inspection.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <unordered_map>

#include "catalogue_csv.h"

namespace quorvanta::dbtool {

namespace {

constexpr std::array<std::string_view, 3> kPhases = {"solid", "liquid", "gas"};

std::string counted(std::uintmax_t n, std::string_view one, std::string_view many) {
    return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

std::string media(std::uintmax_t n) {
    return counted(n, "medium", "media");
}
std::string lines(std::uintmax_t n) {
    return counted(n, "line", "lines");
}

std::optional<std::size_t> phaseIndex(std::string_view phase) {
    const auto found = std::find(kPhases.begin(), kPhases.end(), phase);
    if (found == kPhases.end()) return std::nullopt;
    return std::size_t(found - kPhases.begin());
}

// Whether a text field holds anything but NULs after its text.
bool hasStrayBytes(std::span<const std::uint8_t> field) {
    const std::size_t length = fieldText(field).size();
    return std::any_of(field.begin() + std::ptrdiff_t(length), field.end(),
                       [](std::uint8_t b) { return b != 0; });
}

std::span<const std::uint8_t> nameField(const Medium& medium) {
    return std::span(medium.bytes).first<kNameSize>();
}
std::span<const std::uint8_t> phaseField(const Medium& medium) {
    return std::span(medium.bytes).subspan<kNameSize, kPhaseSize>();
}
std::span<const std::uint8_t> nameField(const Transition& transition) {
    return std::span(transition.bytes).first<kNameSize>();
}

bool isGoodWavelength(double w) {
    return std::isfinite(w) && w > 0.0;
}

struct WavelengthSpread {
    double lowest = std::numeric_limits<double>::infinity();
    double highest = -std::numeric_limits<double>::infinity();
    std::size_t finite = 0;
    std::size_t below = 0;  // under kLowestShown, -inf included
    std::size_t above = 0;  // over kHighestShown, +inf included
    std::size_t notANumber = 0;
};

WavelengthSpread spreadOf(const TransitionDatabase& db) {
    WavelengthSpread spread;
    for (std::int32_t k = 1; k <= db.transitionCount; ++k) {
        const double w = db.transitions[std::size_t(k)].wavelength();
        if (std::isnan(w)) {
            ++spread.notANumber;
            continue;
        }
        if (w < kLowestShown) ++spread.below;
        if (w > kHighestShown) ++spread.above;
        if (!std::isfinite(w)) continue;
        ++spread.finite;
        spread.lowest = std::min(spread.lowest, w);
        spread.highest = std::max(spread.highest, w);
    }
    return spread;
}

std::string rangeText(const WavelengthSpread& spread) {
    if (spread.finite == 0) return "none";
    return shortestNumberText(spread.lowest) + " .. " + shortestNumberText(spread.highest) + " nm";
}

std::size_t unmatchedCount(const TransitionDatabase& db) {
    std::size_t count = 0;
    for (std::int32_t k = 1; k <= db.transitionCount; ++k)
        count += db.mediaOf(k).empty();
    return count;
}

enum class Kind {
    Layout,
    TrailingBytes,
    EmptyName,
    Unprintable,
    StrayBytes,
    UnknownPhase,
    BadWavelength,
    Unmatched,
    SharedName,
    Count
};

// Problems grouped by kind, listed in the order of the kinds, each kind cut at kListedPerKind.
class ProblemList {
  public:
    explicit ProblemList(std::string_view fileName) : fileName_(fileName) {}

    void add(Kind kind, std::string text) {
        Group& group = groups_[std::size_t(kind)];
        if (group.lines.size() < kListedPerKind)
            group.lines.push_back(fileName_ + ": " + std::move(text));
        ++group.total;
    }

    CheckResult finish(std::string okSummary) const {
        static constexpr std::array<std::string_view, std::size_t(Kind::Count)> kMore = {
            "layout problems",
            "trailing byte runs",
            "media with an empty name",
            "texts outside printable ASCII",
            "texts with stray bytes after their NUL",
            "media with an unknown phase",
            "lines whose wavelength is not a finite positive number",
            "lines whose medium matches none",
            "media sharing a name with an earlier one",
        };
        CheckResult result;
        for (std::size_t kind = 0; kind < groups_.size(); ++kind) {
            const Group& group = groups_[kind];
            result.lines.insert(result.lines.end(), group.lines.begin(), group.lines.end());
            if (group.total > group.lines.size())
                result.lines.push_back(fileName_ + ": ... and " +
                                       std::to_string(group.total - group.lines.size()) + " more " +
                                       std::string(kMore[kind]));
            result.problemCount += group.total;
        }
        if (result.problemCount == 0)
            result.lines.push_back(fileName_ + ": OK (" + okSummary + ")");
        else
            result.lines.push_back(fileName_ + ": " +
                                   counted(result.problemCount, "problem", "problems"));
        return result;
    }

  private:
    struct Group {
        std::vector<std::string> lines;
        std::size_t total = 0;
    };
    std::string fileName_;
    std::array<Group, std::size_t(Kind::Count)> groups_;
};

std::string mediumLabel(std::int32_t i, const Medium& medium) {
    return "medium " + std::to_string(i) + " " + quotedForMessage(medium.name());
}

std::string transitionLabel(std::int32_t k, const Transition& transition) {
    return "transition " + std::to_string(k) + " (" + quotedForMessage(transition.mediumName()) +
           ")";
}

void checkLayout(const TransitionDatabase& db, std::uintmax_t fileSize, const LoadReport& report,
                 ProblemList& problems) {
    if (report.damaged && !report.message.empty()) {
        // The message already names the file; the list adds the name again, so drop it here.
        const std::size_t colon = report.message.find(": ");
        problems.add(Kind::Layout, colon == std::string::npos ? report.message
                                                              : report.message.substr(colon + 2));
    }
    if (report.status == LoadReport::Status::Truncated ||
        report.status == LoadReport::Status::TooShortForHeader)
        return;
    const std::uintmax_t end = kHeaderSize + std::uintmax_t(db.mediumCount) * kMediumRecordSize +
                               std::uintmax_t(db.transitionCount) * kTransitionRecordSize;
    if (fileSize > end)
        problems.add(Kind::TrailingBytes,
                     counted(fileSize - end, "byte", "bytes") +
                         " after the last record (from offset " + std::to_string(end) +
                         (fileSize - end == 1 ? ") is ignored" : ") are ignored"));
}

void checkMedia(const TransitionDatabase& db, ProblemList& problems) {
    std::unordered_map<std::string_view, std::int32_t> firstWithName;
    for (std::int32_t i = 1; i <= db.mediumCount; ++i) {
        const Medium& medium = db.media[std::size_t(i)];
        const std::string_view name = medium.name();
        if (name.empty())
            problems.add(Kind::EmptyName, "medium " + std::to_string(i) + " has an empty name");
        if (!isPrintableAscii(name))
            problems.add(Kind::Unprintable,
                         mediumLabel(i, medium) + ": name holds bytes outside printable ASCII");
        if (hasStrayBytes(nameField(medium)))
            problems.add(Kind::StrayBytes,
                         mediumLabel(i, medium) + ": name field holds stray bytes after its NUL");
        if (hasStrayBytes(phaseField(medium)))
            problems.add(Kind::StrayBytes,
                         mediumLabel(i, medium) + ": phase field holds stray bytes after its NUL");
        if (!phaseIndex(medium.phase()))
            problems.add(Kind::UnknownPhase, mediumLabel(i, medium) + ": unknown phase " +
                                                 quotedForMessage(medium.phase()) +
                                                 " (not solid, liquid or gas)");
        const auto [first, isNew] = firstWithName.try_emplace(name, i);
        if (!isNew)
            problems.add(Kind::SharedName, mediumLabel(i, medium) +
                                               " has the same name as medium " +
                                               std::to_string(first->second));
    }
}

void checkTransitions(const TransitionDatabase& db, ProblemList& problems) {
    for (std::int32_t k = 1; k <= db.transitionCount; ++k) {
        const Transition& transition = db.transitions[std::size_t(k)];
        if (hasStrayBytes(nameField(transition)))
            problems.add(Kind::StrayBytes,
                         transitionLabel(k, transition) +
                             ": medium name field holds stray bytes after its NUL");
        const double w = transition.wavelength();
        if (!isGoodWavelength(w))
            problems.add(Kind::BadWavelength, transitionLabel(k, transition) + ": wavelength " +
                                                  shortestNumberText(w) +
                                                  " nm is not a finite positive number");
        if (db.mediaOf(k).empty())
            problems.add(Kind::Unmatched, transitionLabel(k, transition) + ": medium name " +
                                              quotedForMessage(transition.mediumName()) +
                                              " matches no medium");
    }
}

// The first line stored after a line of longer wavelength: the viewer staggers the labels of
// neighbours in stored order, so a catalogue reads best with its lines in wavelength order.
std::optional<std::string> wavelengthOrderNote(std::string_view fileName,
                                               const TransitionDatabase& db) {
    for (std::int32_t k = 2; k <= db.transitionCount; ++k) {
        const double before = db.transitions[std::size_t(k - 1)].wavelength();
        const double w = db.transitions[std::size_t(k)].wavelength();
        if (w < before)
            return std::string(fileName) + ": note: lines not in wavelength order (transition " +
                   std::to_string(k) + ", " + shortestNumberText(w) + " nm, follows " +
                   shortestNumberText(before) + " nm)";
    }
    return std::nullopt;
}

}  // namespace

std::vector<std::string> describeCatalogue(std::string_view fileName,
                                           const TransitionDatabase& db) {
    std::array<std::size_t, kPhases.size() + 1> mediaPerPhase{};  // last: any other phase text
    std::array<std::size_t, kPhases.size() + 1> linesPerPhase{};
    for (std::int32_t i = 1; i <= db.mediumCount; ++i)
        ++mediaPerPhase[phaseIndex(db.media[std::size_t(i)].phase()).value_or(kPhases.size())];
    const std::size_t unmatched = unmatchedCount(db);
    for (std::int32_t k = 1; k <= db.transitionCount; ++k) {
        const auto owners = db.mediaOf(k);
        if (owners.empty()) continue;
        const Medium& medium = db.media[std::size_t(owners.front())];
        ++linesPerPhase[phaseIndex(medium.phase()).value_or(kPhases.size())];
    }

    std::vector<std::string> out;
    out.push_back(std::string(fileName) + ": " + media(std::size_t(db.mediumCount)) + ", " +
                  lines(std::size_t(db.transitionCount)) +
                  " (phase count in the header: " + std::to_string(db.phaseCount) + ")");
    for (std::size_t p = 0; p < kPhases.size(); ++p)
        out.push_back("  " + std::string(kPhases[p]) + ": " + media(mediaPerPhase[p]) + ", " +
                      lines(linesPerPhase[p]));
    if (mediaPerPhase.back() > 0)
        out.push_back("  other phases: " + media(mediaPerPhase.back()) + ", " +
                      lines(linesPerPhase.back()));
    if (unmatched > 0) out.push_back("  without a medium: " + lines(unmatched));

    const WavelengthSpread spread = spreadOf(db);
    out.push_back("wavelength range: " + rangeText(spread));
    out.push_back("lines outside " + shortestNumberText(kLowestShown) + ".." +
                  shortestNumberText(kHighestShown) +
                  " nm: " + std::to_string(spread.below + spread.above) + " (" +
                  std::to_string(spread.below) + " below, " + std::to_string(spread.above) +
                  " above)");
    if (spread.notANumber > 0)
        out.push_back("lines whose wavelength is not a number: " +
                      std::to_string(spread.notANumber));
    out.push_back(std::string("every line's medium exists: ") +
                  (unmatched == 0 ? "yes" : "no, " + lines(unmatched) + " name no medium"));
    return out;
}

CheckResult checkCatalogue(std::string_view fileName, std::uintmax_t fileSize,
                           const TransitionDatabase& db, const LoadReport& report) {
    ProblemList problems(fileName);
    checkLayout(db, fileSize, report, problems);
    checkMedia(db, problems);
    checkTransitions(db, problems);

    std::size_t fullNames = 0;
    for (std::int32_t i = 1; i <= db.mediumCount; ++i)
        fullNames += db.media[std::size_t(i)].name().size() == std::size_t(kNameSize);
    std::string summary = media(std::size_t(db.mediumCount)) + ", " +
                          lines(std::size_t(db.transitionCount)) + ", " + rangeText(spreadOf(db));
    if (fullNames > 0)
        summary +=
            "; " + counted(fullNames, "name fills", "names fill") + " all 20 bytes, without NUL";
    CheckResult result = problems.finish(summary);
    if (auto note = wavelengthOrderNote(fileName, db)) result.notes.push_back(std::move(*note));
    return result;
}

}  // namespace quorvanta::dbtool
