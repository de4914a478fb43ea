#include "windows/find_query.h"

#include <array>
#include <charconv>
#include <cmath>
#include <utility>

namespace quorvanta {

namespace {

// A result row's first column, and the widths of the columns after it.
constexpr std::size_t kWavelengthColumn = 13;
constexpr std::size_t kNameColumn = 21;
constexpr std::size_t kPhaseColumn = 7;
constexpr std::size_t kCountColumn = 11;

constexpr const char* kHintAccepts =
    "Type a wavelength (1064, 1.064 um), a range (500-600) or a name";
constexpr const char* kHintBadNumber = "Wavelengths are positive numbers: 1064, 1064 nm, 3 to 5 um";
constexpr const char* kHintNoName = "No medium's name holds that; try 1064 nm, 500-600 or a name";

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Reads the text from left to right.
class Reader {
  public:
    explicit Reader(std::string_view text) : text_(text) {}

    bool atEnd() const { return at_ >= text_.size(); }
    void skipSpaces() {
        while (!atEnd() && isSpace(text_[at_]))
            ++at_;
    }

    // Takes the word if the text continues with it, ASCII letters in either case.
    bool take(std::string_view word) {
        if (text_.size() - at_ < word.size()) return false;
        for (std::size_t i = 0; i < word.size(); ++i)
            if (lower(text_[at_ + i]) != word[i]) return false;
        at_ += word.size();
        return true;
    }

    enum class Number { None, Value, OutOfRange };
    // Digits with an optional point and fraction, or a point and digits, then an optional
    // exponent; no sign. A point followed by a point is left for the range separator "..".
    Number number(double& value) {
        const std::size_t start = at_;
        std::size_t i = at_;
        std::size_t digits = 0;
        while (i < text_.size() && isDigit(text_[i]))
            ++i, ++digits;
        if (i < text_.size() && text_[i] == '.' && !(i + 1 < text_.size() && text_[i + 1] == '.')) {
            ++i;
            while (i < text_.size() && isDigit(text_[i]))
                ++i, ++digits;
        }
        if (digits == 0) return Number::None;
        if (i < text_.size() && (text_[i] == 'e' || text_[i] == 'E')) {
            std::size_t j = i + 1;
            if (j < text_.size() && (text_[j] == '+' || text_[j] == '-')) ++j;
            if (j < text_.size() && isDigit(text_[j])) {
                while (j < text_.size() && isDigit(text_[j]))
                    ++j;
                i = j;
            }
        }
        const auto [end, error] = std::from_chars(text_.data() + start, text_.data() + i, value);
        at_ = static_cast<std::size_t>(end - text_.data());
        if (error == std::errc::result_out_of_range) return Number::OutOfRange;
        return error == std::errc() ? Number::Value : Number::None;
    }

    // Nanometres per unit, or 0 when no unit follows.
    double unit() {
        constexpr double kNanometresPerMicrometre = 1000.0;
        if (take("nm")) return 1.0;
        if (take("microns") || take("micron") || take("um")) return kNanometresPerMicrometre;
        static constexpr std::array<std::string_view, 4> kMicroSigns = {"\xE6", "\xB5", "\xC2\xB5",
                                                                        "\xCE\xBC"};
        for (const std::string_view sign : kMicroSigns) {
            const std::size_t before = at_;
            if (take(sign) && take("m")) return kNanometresPerMicrometre;
            at_ = before;
        }
        return 0.0;
    }

    bool separator() {
        static constexpr std::array<std::string_view, 6> kSeparators = {
            "..", "-", "to", "\xE2\x80\x93", "\xE2\x80\x94", "\xE2\x88\x92"};
        for (const std::string_view s : kSeparators)
            if (take(s)) return true;
        return false;
    }

  private:
    std::string_view text_;
    std::size_t at_ = 0;
};

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

bool looksNumeric(std::string_view text) {
    const char c = text.front();
    return isDigit(c) || c == '.' || c == '+' || c == '-' || c == '\xE2';
}

bool positiveFinite(double value) {
    return value > 0 && std::isfinite(value);
}

FindQuery bad() {
    FindQuery query;
    query.kind = FindQuery::Kind::Bad;
    return query;
}

FindQuery parseNumbers(std::string_view text) {
    Reader reader(text);
    double low = 0;
    if (reader.number(low) != Reader::Number::Value) return bad();
    reader.skipSpaces();
    const double lowUnit = reader.unit();
    reader.skipSpaces();
    FindQuery query;
    if (reader.atEnd()) {
        query.kind = FindQuery::Kind::Wavelength;
        query.low = query.high = low * (lowUnit > 0 ? lowUnit : 1.0);
        return positiveFinite(query.low) ? query : bad();
    }
    if (!reader.separator()) return bad();
    reader.skipSpaces();
    double high = 0;
    if (reader.number(high) != Reader::Number::Value) return bad();
    reader.skipSpaces();
    const double highUnit = reader.unit();
    reader.skipSpaces();
    if (!reader.atEnd()) return bad();
    const double fallback = highUnit > 0 ? highUnit : lowUnit > 0 ? lowUnit : 1.0;
    query.kind = FindQuery::Kind::Range;
    query.low = low * (lowUnit > 0 ? lowUnit : fallback);
    query.high = high * (highUnit > 0 ? highUnit : fallback);
    if (query.high < query.low) std::swap(query.low, query.high);
    return positiveFinite(query.low) && positiveFinite(query.high) ? query : bad();
}

// A text from the catalogue as a row shows it: control characters become '?'.
std::string shown(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || (byte >= 0x7F && byte < 0xA0)) c = '?';
    }
    return result;
}

std::string padded(std::string text, std::size_t width) {
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

std::string moreRow(std::size_t more) {
    return std::string(1, kEllipsis) + " " + std::to_string(more) + " more";
}

std::string phaseOf(const TransitionDatabase& db, std::int32_t transition) {
    const auto media = db.mediaOf(transition);
    return media.empty() ? std::string("?") : shown(db.media[std::size_t(media.front())].phase());
}

FindResults nearestLines(const FindQuery& query, const TransitionDatabase& db,
                         const CatalogueIndex& index) {
    FindResults results;
    for (const std::int32_t k : index.nearestLines(query.low, kFindRows)) {
        const Transition& t = db.transitions[std::size_t(k)];
        results.rows.push_back(padded(nanometreText(t.wavelength()) + " nm", kWavelengthColumn) +
                               padded(shown(t.mediumName()), kNameColumn) + "(" + phaseOf(db, k) +
                               ")");
        results.actions.push_back({FindAction::Kind::CentreOnLine, k, t.wavelength(), 0});
    }
    if (results.rows.empty()) {
        results.status = "The catalogue holds no lines";
        return results;
    }
    const std::size_t lines = index.lines().size();
    if (lines > results.rows.size()) results.rows.push_back(moreRow(lines - results.rows.size()));
    results.status =
        "Lines nearest " + nanometreText(query.low) + " nm; Enter centres the view on one";
    return results;
}

FindResults rangeCount(const FindQuery& query, const CatalogueIndex& index) {
    FindResults results;
    const CatalogueIndex::RangeCount count = index.countInRange(query.low, query.high);
    const std::string range = nanometreText(query.low) + " to " + nanometreText(query.high) + " nm";
    results.rows.push_back(std::to_string(count.lines) + (count.lines == 1 ? " line" : " lines") +
                           " of " + std::to_string(count.media) +
                           (count.media == 1 ? " medium" : " media") + " in " + range);
    results.actions.push_back({FindAction::Kind::ShowRange, 0, query.low, query.high});
    results.status = "Enter shows " + range;
    return results;
}

FindResults matchingMedia(const FindQuery& query, const TransitionDatabase& db,
                          const CatalogueIndex& index) {
    FindResults results;
    const CatalogueIndex::NameMatches matches = index.mediaMatching(query.fragment, kFindRows);
    for (const std::int32_t m : matches.media) {
        const Medium& medium = db.media[std::size_t(m)];
        const CatalogueIndex::MediumStats& stats = index.stats(m);
        std::string row = db.mediumSelected[std::size_t(m)] == 1 ? "[x] " : "[ ] ";
        row +=
            padded(shown(medium.name()), kNameColumn) + padded(shown(medium.phase()), kPhaseColumn);
        row += padded(std::to_string(stats.lines) + (stats.lines == 1 ? " line" : " lines"),
                      kCountColumn);
        if (stats.lines > 0)
            row += nanometreText(stats.shortest) +
                   (stats.longest > stats.shortest ? "-" + nanometreText(stats.longest) : "") +
                   " nm";
        results.rows.push_back(std::move(row));
        results.actions.push_back({FindAction::Kind::ToggleMedium, m, 0, 0});
    }
    if (results.rows.empty()) {
        results.status = kHintNoName;
        return results;
    }
    const auto total = static_cast<std::size_t>(matches.total);
    if (total > results.rows.size()) results.rows.push_back(moreRow(total - results.rows.size()));
    results.status = std::to_string(matches.total) + (matches.total == 1 ? " medium" : " media") +
                     "; Enter selects or clears the marked one";
    return results;
}

}  // namespace

std::string nanometreText(double wavelength) {
    std::array<char, 32> digits{};
    const auto [end, error] =
        std::to_chars(digits.data(), digits.data() + digits.size(), wavelength);
    return error == std::errc() ? std::string(digits.data(), end) : std::string("?");
}

FindQuery parseFindText(std::string_view text) {
    text = trimmed(text);
    if (text.empty()) return {};
    if (looksNumeric(text)) return parseNumbers(text);
    FindQuery query;
    query.kind = FindQuery::Kind::Name;
    query.fragment = std::string(text);
    return query;
}

FindResults findResults(const FindQuery& query, const TransitionDatabase& db,
                        const CatalogueIndex& index) {
    switch (query.kind) {
        case FindQuery::Kind::Wavelength:
            return nearestLines(query, db, index);
        case FindQuery::Kind::Range:
            return rangeCount(query, index);
        case FindQuery::Kind::Name:
            return matchingMedia(query, db, index);
        case FindQuery::Kind::Bad:
            return {kHintBadNumber, {}, {}};
        case FindQuery::Kind::Empty:
            break;
    }
    return {kHintAccepts, {}, {}};
}

}  // namespace quorvanta
