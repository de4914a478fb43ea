// Catalogue file images put together byte by byte for tests, independently of the database's own
// writer: the header is encoded here, the records come from makeMedium/makeTransition.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "database/transition_database.h"

namespace quorvanta::testing {

class CatalogueImage {
  public:
    CatalogueImage& medium(std::string_view name, std::string_view phase) {
        media_.push_back(makeMedium(name, phase));
        return *this;
    }
    CatalogueImage& medium(const Medium& record) {
        media_.push_back(record);
        return *this;
    }
    CatalogueImage& line(std::string_view mediumName, double wavelength) {
        transitions_.push_back(makeTransition(mediumName, wavelength));
        return *this;
    }
    CatalogueImage& line(const Transition& record) {
        transitions_.push_back(record);
        return *this;
    }
    CatalogueImage& phaseCount(std::uint16_t count) {
        phaseCount_ = count;
        return *this;
    }

    // The file: header (transition count, medium count, phase count), media, transitions.
    std::vector<std::uint8_t> bytes() const {
        std::vector<std::uint8_t> out;
        appendWord(out, transitions_.size());
        appendWord(out, media_.size());
        appendWord(out, phaseCount_);
        for (const Medium& m : media_)
            out.insert(out.end(), m.bytes.begin(), m.bytes.end());
        for (const Transition& t : transitions_)
            out.insert(out.end(), t.bytes.begin(), t.bytes.end());
        return out;
    }

    const std::vector<Medium>& media() const { return media_; }
    const std::vector<Transition>& transitions() const { return transitions_; }

  private:
    static void appendWord(std::vector<std::uint8_t>& out, std::size_t value) {
        out.push_back(static_cast<std::uint8_t>(value & 0xff));
        out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xff));
    }

    std::vector<Medium> media_;
    std::vector<Transition> transitions_;
    std::uint16_t phaseCount_ = 3;
};

}  // namespace quorvanta::testing
