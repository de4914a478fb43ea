#include "database/catalogue_table.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>

namespace quorvanta {

namespace {

bool isPrintable(char c) {
    return c >= 0x20 && c <= 0x7e;
}

void appendField(std::string& out, std::string_view field) {
    if (field.find_first_of(",\"") == std::string_view::npos) {
        out += field;
        return;
    }
    out += '"';
    for (char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

std::span<const std::uint8_t, kNoteFieldSize> noteField(const Transition& transition) {
    return std::span(transition.bytes).subspan<kNoteOffset, kNoteFieldSize>();
}

// A strict weak order on wavelengths with NaN after everything, infinities included.
bool shorterWavelength(const CatalogueRow& a, const CatalogueRow& b) {
    if (std::isnan(a.wavelength)) return false;
    if (std::isnan(b.wavelength)) return true;
    return a.wavelength < b.wavelength;
}

}  // namespace

std::string writeCatalogueCsv(std::span<const CatalogueRow> rows) {
    std::string out;
    out.reserve((rows.size() + 1) * 48);
    out += kCsvHeader;
    out += '\n';
    for (const CatalogueRow& row : rows) {
        appendField(out, row.medium);
        out += ',';
        appendField(out, row.phase);
        out += ',';
        out += shortestNumberText(row.wavelength);
        out += ',';
        appendField(out, row.note);
        out += '\n';
    }
    return out;
}

std::string shortestNumberText(double value) {
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return {buffer.data(), result.ptr};
}

bool isPrintableAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), isPrintable);
}

std::string printableAscii(std::string_view text) {
    std::string shown(text);
    for (char& c : shown)
        if (c < ' ' || c > '~') c = '?';
    return shown;
}

std::optional<std::string_view> noteOf(const Transition& transition) {
    const auto field = noteField(transition);
    const std::string_view text = fieldText(field);
    if (text.size() > kMaxNoteLength || !isPrintableAscii(text)) return std::nullopt;
    const bool paddedWithNul = std::all_of(field.begin() + text.size(), field.end(),
                                           [](std::uint8_t b) { return b == 0; });
    if (!paddedWithNul) return std::nullopt;
    return text;
}

void setNote(Transition& transition, std::string_view note) {
    std::uint8_t* field = transition.bytes.data() + kNoteOffset;
    std::memset(field, 0, kNoteFieldSize);
    std::memcpy(field, note.data(), std::min(note.size(), kMaxNoteLength));
}

void sortByWavelength(std::vector<CatalogueRow>& rows) {
    std::stable_sort(rows.begin(), rows.end(), shorterWavelength);
}

}  // namespace quorvanta
