#include "catalogue_csv.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <iterator>
#include <optional>
#include <unordered_map>

#include "database/transition_database.h"

namespace quorvanta::dbtool {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::array<std::string_view, 3> kPhases = {"solid", "liquid", "gas"};

enum Column {
    kMediumColumn = 1,
    kPhaseColumn,
    kWavelengthColumn,
    kNoteColumn,
    kStatusColumn,
    kSourceColumn
};

bool isPrintable(char c) {
    return c >= 0x20 && c <= 0x7e;
}

std::string hexByte(char c) {
    constexpr std::string_view digits = "0123456789ABCDEF";
    const auto byte = static_cast<unsigned char>(c);
    return {'0', 'x', digits[byte >> 4], digits[byte & 0xf]};
}

// The first byte of text outside printable ASCII, as "0xNN".
std::optional<std::string> firstUnprintable(std::string_view text) {
    for (char c : text)
        if (!isPrintable(c)) return hexByte(c);
    return std::nullopt;
}

struct SplitLine {
    std::vector<std::string> fields;
    std::optional<CsvError> error;
};

// Splits one line (without its line end) into fields, undoing the quoting.
SplitLine splitFields(std::string_view line, int lineNumber) {
    SplitLine split;
    std::size_t at = 0;
    while (true) {
        const int column = static_cast<int>(split.fields.size()) + 1;
        std::string field;
        if (at < line.size() && line[at] == '"') {
            ++at;
            bool closed = false;
            while (at < line.size()) {
                if (line[at] != '"') {
                    field += line[at++];
                } else if (at + 1 < line.size() && line[at + 1] == '"') {
                    field += '"';
                    at += 2;
                } else {
                    ++at;
                    closed = true;
                    break;
                }
            }
            if (!closed) {
                split.error = CsvError{lineNumber, column, "quoted field has no closing quote"};
                return split;
            }
            if (at < line.size() && line[at] != ',') {
                split.error = CsvError{lineNumber, column,
                                       "text after the closing quote; a field is either quoted as "
                                       "a whole or not at all"};
                return split;
            }
        } else {
            const std::size_t end = std::min(line.find(',', at), line.size());
            field.assign(line.substr(at, end - at));
            if (field.find('"') != std::string::npos) {
                split.error = CsvError{lineNumber, column,
                                       "double quote inside an unquoted field; quote the whole "
                                       "field and double the quote"};
                return split;
            }
            at = end;
        }
        split.fields.push_back(std::move(field));
        if (at >= line.size()) return split;
        ++at;  // the comma
    }
}

std::optional<double> parsePositiveFinite(std::string_view text) {
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    if (!std::isfinite(value) || !(value > 0.0)) return std::nullopt;
    return value;
}

class TableParser {
  public:
    CatalogueTable parse(std::string_view text) {
        if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
        int lineNumber = 0;
        bool headerSeen = false;
        while (!text.empty() || lineNumber == 0) {
            ++lineNumber;
            const std::size_t newline = text.find('\n');
            std::string_view line = text.substr(0, newline);
            text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
            if (line.ends_with('\r')) line.remove_suffix(1);
            if (!headerSeen) {
                headerSeen = true;
                withStatus_ = line == kCsvHeaderWithStatus;
                if (line != kCsvHeader && !withStatus_)
                    addError(lineNumber, 1,
                             "the first line must be the header " + std::string(kCsvHeader));
                continue;
            }
            if (line.empty()) continue;
            parseRow(line, lineNumber);
        }
        return std::move(table_);
    }

  private:
    struct MediumSeen {
        std::string phase;  // empty until a line of the medium gives a valid phase
        int line = 0;
    };

    void addError(int line, int column, std::string message) {
        table_.errors.push_back({line, column, std::move(message)});
    }

    void parseRow(std::string_view line, int lineNumber) {
        SplitLine split = splitFields(line, lineNumber);
        if (split.error) {
            table_.errors.push_back(*split.error);
            return;
        }
        const std::size_t fieldCount = withStatus_ ? kFieldCountWithStatus : kFieldCount;
        if (split.fields.size() != fieldCount) {
            addError(
                lineNumber, 1,
                "expected " + std::to_string(fieldCount) + " fields (" +
                    std::string(withStatus_ ? kCsvHeaderWithStatus : kCsvHeader) + ") but found " +
                    std::to_string(split.fields.size()) +
                    (split.fields.size() > fieldCount ? "; a field holding a comma must be quoted"
                                                      : ""));
            return;
        }
        CatalogueRow row;
        row.line = lineNumber;
        row.medium = std::move(split.fields[0]);
        row.phase = std::move(split.fields[1]);
        row.note = std::move(split.fields[3]);
        checkMedium(row);
        checkPhase(row);
        if (const auto wavelength = parsePositiveFinite(split.fields[2])) {
            row.wavelength = *wavelength;
        } else {
            addError(lineNumber, kWavelengthColumn,
                     "wavelength " + quotedForMessage(split.fields[2]) +
                         " is not a finite positive number");
        }
        checkNote(row);
        if (withStatus_) {
            row.status = std::move(split.fields[4]);
            row.source = std::move(split.fields[5]);
            checkStatus(row);
        }
        if (++lineCount_ == kMaxRecords + 1)
            addError(lineNumber, kMediumColumn,
                     "more than " + std::to_string(kMaxRecords) +
                         " lines; a catalogue holds at most " + std::to_string(kMaxRecords));
        table_.rows.push_back(std::move(row));
    }

    void checkMedium(const CatalogueRow& row) {
        const std::string_view name = row.medium;
        if (name.empty()) {
            addError(row.line, kMediumColumn, "medium name is empty");
        } else if (name.size() > std::size_t(kNameSize)) {
            addError(row.line, kMediumColumn,
                     "medium name " + quotedForMessage(name) + " is " +
                         std::to_string(name.size()) + " bytes long; at most " +
                         std::to_string(kNameSize) + " fit");
        } else if (const auto byte = firstUnprintable(name)) {
            addError(row.line, kMediumColumn,
                     "medium name " + quotedForMessage(name) + " holds byte " + *byte +
                         ", which is not printable ASCII");
        }
        if (media_.contains(row.medium)) return;
        media_.emplace(row.medium, MediumSeen{});
        if (media_.size() == std::size_t(kMaxRecords) + 1)
            addError(row.line, kMediumColumn,
                     "more than " + std::to_string(kMaxRecords) +
                         " media; a catalogue holds at most " + std::to_string(kMaxRecords));
    }

    void checkPhase(const CatalogueRow& row) {
        bool known = false;
        for (std::string_view phase : kPhases)
            known = known || row.phase == phase;
        if (!known) {
            addError(row.line, kPhaseColumn,
                     "phase " + quotedForMessage(row.phase) + " is not one of solid, liquid, gas");
            return;
        }
        // A medium's phase is set by its first line with a valid phase.
        MediumSeen& first = media_.at(row.medium);
        if (first.phase.empty()) first = MediumSeen{row.phase, row.line};
        if (first.phase != row.phase)
            addError(row.line, kPhaseColumn,
                     "medium " + quotedForMessage(row.medium) + " is " + first.phase + " on line " +
                         std::to_string(first.line) + " but " + row.phase + " here");
    }

    void checkNote(const CatalogueRow& row) {
        if (row.note.size() > kMaxNoteLength) {
            addError(row.line, kNoteColumn,
                     "note is " + std::to_string(row.note.size()) + " bytes long; at most " +
                         std::to_string(kMaxNoteLength) + " fit");
        } else if (const auto byte = firstUnprintable(row.note)) {
            addError(row.line, kNoteColumn,
                     "note holds byte " + *byte + ", which is not printable ASCII");
        }
    }

    void checkStatus(const CatalogueRow& row) {
        if (row.status.empty()) {
            addError(row.line, kStatusColumn,
                     "the line has no status; give confirmed, calculated, range or unconfirmed");
            return;
        }
        if (std::find(std::begin(kLineStatuses), std::end(kLineStatuses), row.status) ==
            std::end(kLineStatuses)) {
            addError(row.line, kStatusColumn,
                     "status " + quotedForMessage(row.status) +
                         " is not one of confirmed, calculated, range, unconfirmed");
            return;
        }
        if (const auto byte = firstUnprintable(row.source)) {
            addError(row.line, kSourceColumn,
                     "source holds byte " + *byte + ", which is not printable ASCII");
        } else if (row.source.empty() && row.status != "unconfirmed") {
            addError(
                row.line, kSourceColumn,
                "a " + row.status + " line needs its source; a line without one is unconfirmed");
        }
    }

    CatalogueTable table_;
    bool withStatus_ = false;
    std::unordered_map<std::string, MediumSeen> media_;
    int lineCount_ = 0;
};

}  // namespace

CatalogueTable parseCatalogueCsv(std::string_view text) {
    return TableParser{}.parse(text);
}

std::string formatCsvError(std::string_view fileName, const CsvError& error) {
    return std::string(fileName) + ":" + std::to_string(error.line) + ":" +
           std::to_string(error.column) + ": " + error.message;
}

std::string quotedForMessage(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (isPrintable(c)) {
            out += c;
        } else {
            out += "\\x";
            out += hexByte(c).substr(2);
        }
    }
    out += '"';
    return out;
}

}  // namespace quorvanta::dbtool
