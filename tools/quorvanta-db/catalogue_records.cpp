#include "catalogue_records.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <unordered_map>

namespace quorvanta::dbtool {

namespace {

std::string numbered(std::string_view what, std::int32_t number, std::string_view name) {
    return std::string(what) + " " + std::to_string(number) + " " + quotedForMessage(name);
}

}  // namespace

TransitionDatabase catalogueFromRows(std::span<const CatalogueRow> rows) {
    TransitionDatabase db;
    db.phaseCount = kCataloguePhaseCount;
    db.media.assign(1, Medium{});
    db.transitions.reserve(rows.size() + 1);
    db.transitions.assign(1, Transition{});
    std::unordered_map<std::string_view, std::int32_t> mediumNumbers;
    for (const CatalogueRow& row : rows) {
        if (mediumNumbers.try_emplace(row.medium, static_cast<std::int32_t>(db.media.size()))
                .second)
            db.media.push_back(makeMedium(row.medium, row.phase));
        Transition transition = makeTransition(row.medium, row.wavelength);
        setNote(transition, row.note);
        db.transitions.push_back(transition);
    }
    db.mediumCount = static_cast<std::int32_t>(db.media.size() - 1);
    db.transitionCount = static_cast<std::int32_t>(db.transitions.size() - 1);
    db.mediumSelected.assign(db.media.size(), 0);
    db.resolveMediumNames();
    return db;
}

std::vector<CatalogueRow> rowsFromCatalogue(const TransitionDatabase& db) {
    std::vector<CatalogueRow> rows;
    rows.reserve(std::size_t(db.transitionCount));
    for (std::int32_t k = 1; k <= db.transitionCount; ++k) {
        const Transition& transition = db.transitions[std::size_t(k)];
        const auto media = db.mediaOf(k);
        CatalogueRow row;
        row.line = k + 1;  // below the header
        row.medium = transition.mediumName();
        if (!media.empty()) row.phase = db.media[std::size_t(media.front())].phase();
        row.wavelength = transition.wavelength();
        row.note = noteOf(transition).value_or("");
        rows.push_back(std::move(row));
    }
    return rows;
}

std::optional<std::string> firstDifference(const TransitionDatabase& original,
                                           const TransitionDatabase& rebuilt) {
    const std::int32_t media = std::min(original.mediumCount, rebuilt.mediumCount);
    for (std::int32_t i = 1; i <= media; ++i) {
        const Medium& a = original.media[std::size_t(i)];
        const Medium& b = rebuilt.media[std::size_t(i)];
        if (a.name() != b.name() || a.phase() != b.phase())
            return numbered("medium", i, a.name()) + " (" + std::string(a.phase()) +
                   ") would become " + quotedForMessage(b.name()) + " (" + std::string(b.phase()) +
                   ")";
    }
    if (original.mediumCount != rebuilt.mediumCount)
        return std::to_string(original.mediumCount) + " media would become " +
               std::to_string(rebuilt.mediumCount);

    const std::int32_t lines = std::min(original.transitionCount, rebuilt.transitionCount);
    for (std::int32_t k = 1; k <= lines; ++k) {
        const Transition& a = original.transitions[std::size_t(k)];
        const Transition& b = rebuilt.transitions[std::size_t(k)];
        const bool sameWavelength = std::bit_cast<std::uint64_t>(a.wavelength()) ==
                                    std::bit_cast<std::uint64_t>(b.wavelength());
        if (a.mediumName() != b.mediumName() || !sameWavelength ||
            noteOf(a).value_or("") != noteOf(b).value_or(""))
            return numbered("transition", k, a.mediumName()) + " would not come back the same";
    }
    if (original.transitionCount != rebuilt.transitionCount)
        return std::to_string(original.transitionCount) + " transitions would become " +
               std::to_string(rebuilt.transitionCount);
    return std::nullopt;
}

}  // namespace quorvanta::dbtool
