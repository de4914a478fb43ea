// Writing a whole file so that readers only ever find the old one or the complete new one.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace quorvanta {

// Writes bytes to a new file of its own beside path, syncs it and renames it over path. A file or
// link standing at path is replaced, never written through; on any failure path is left as it
// was, no temporary remains, and error says what failed and why ("cannot write PATH: No space
// left on device"). The new file is an ordinary one, readable as the umask allows.
bool replaceFile(const std::string& path, std::span<const std::uint8_t> bytes, std::string& error);

}  // namespace quorvanta
