#include "catalogue_records.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <deque>
#include <functional>
#include <numeric>
#include <queue>
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
    for (const CatalogueRow& row : rows)
        if (mediumNumbers.try_emplace(row.medium, static_cast<std::int32_t>(db.media.size()))
                .second)
            db.media.push_back(makeMedium(row.medium, row.phase));

    std::vector<std::size_t> order(rows.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return rows[a].wavelength < rows[b].wavelength;
    });
    for (const std::size_t r : order) {
        Transition transition = makeTransition(rows[r].medium, rows[r].wavelength);
        setNote(transition, rows[r].note);
        db.transitions.push_back(transition);
    }
    db.mediumCount = static_cast<std::int32_t>(db.media.size() - 1);
    db.transitionCount = static_cast<std::int32_t>(db.transitions.size() - 1);
    db.mediumSelected.assign(db.media.size(), 0);
    db.resolveMediumNames();
    return db;
}

std::vector<std::int32_t> dumpOrder(const TransitionDatabase& db) {
    const std::int32_t count = db.transitionCount;
    std::vector<std::int32_t> order;
    order.reserve(std::size_t(count));

    // The medium a line would number in a rebuild; 0 for a line naming none, which numbers none.
    const auto mediumOf = [&](std::int32_t k) {
        const auto media = db.mediaOf(k);
        return media.empty() ? 0 : media.front();
    };
    std::int32_t next = 1;  // media 1 .. next-1 have appeared
    const auto mediumReady = [&](std::int32_t k) { return mediumOf(k) <= next; };

    // Held lines blocked by their medium, by medium; held lines of each wavelength, in stored
    // order (a line may pass only when it heads its wavelength's queue); held lines free to go.
    std::unordered_map<std::int32_t, std::vector<std::int32_t>> waitingForMedium;
    std::unordered_map<std::uint64_t, std::deque<std::int32_t>> heldOfWavelength;
    std::priority_queue<std::int32_t, std::vector<std::int32_t>, std::greater<>> free;
    const auto wavelengthKey = [&](std::int32_t k) {
        return std::bit_cast<std::uint64_t>(db.transitions[std::size_t(k)].wavelength());
    };
    const auto freeIfReady = [&](std::int32_t k) {
        if (mediumReady(k) && heldOfWavelength[wavelengthKey(k)].front() == k) free.push(k);
    };
    const auto emit = [&](std::int32_t k) {
        order.push_back(k);
        if (mediumOf(k) != next) return;
        ++next;
        if (const auto waiting = waitingForMedium.find(next); waiting != waitingForMedium.end())
            for (const std::int32_t held : waiting->second)
                freeIfReady(held);
    };

    for (std::int32_t k = 1; k <= count; ++k) {
        std::deque<std::int32_t>& sameWavelength = heldOfWavelength[wavelengthKey(k)];
        if (mediumReady(k) && sameWavelength.empty()) {
            emit(k);
        } else {
            sameWavelength.push_back(k);
            if (!mediumReady(k)) waitingForMedium[mediumOf(k)].push_back(k);
        }
        while (!free.empty()) {
            const std::int32_t held = free.top();
            free.pop();
            std::deque<std::int32_t>& queue = heldOfWavelength[wavelengthKey(held)];
            queue.pop_front();
            if (!queue.empty()) freeIfReady(queue.front());
            emit(held);  // after the queue's new head: emit may free it too, were it checked later
        }
    }
    if (std::ssize(order) == count) return order;
    // Only a file that no table gives gets here, e.g. one whose media are not all named by lines.
    order.resize(std::size_t(count));
    std::iota(order.begin(), order.end(), std::int32_t{1});
    return order;
}

std::vector<CatalogueRow> rowsFromCatalogue(const TransitionDatabase& db) {
    std::vector<CatalogueRow> rows;
    rows.reserve(std::size_t(db.transitionCount));
    for (const std::int32_t k : dumpOrder(db)) {
        const Transition& transition = db.transitions[std::size_t(k)];
        const auto media = db.mediaOf(k);
        CatalogueRow row;
        row.line = static_cast<int>(rows.size()) + 2;  // below the header
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
