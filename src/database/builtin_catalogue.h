// The default catalogue compiled into the program: the bytes of the wavelength.dat built from
// data/laser-lines.csv, in the file format of transition_database.h.
#pragma once

#include <cstdint>
#include <span>

namespace quorvanta {

std::span<const std::uint8_t> builtinCatalogue();

}  // namespace quorvanta
