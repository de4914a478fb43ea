// The quorvanta-db command line: build, dump, info, check, lines and help.
#pragma once

#include <iosfwd>
#include <span>
#include <string_view>

namespace quorvanta::dbtool {

// Exit statuses of the tool.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitBadData = 1;  // bad input data, or a file that cannot be read or written
inline constexpr int kExitBadUsage = 2;

// Runs one command; args are the command-line words after the program name. Results go to out,
// errors and warnings to err; the return value is the exit status.
int runCommand(std::span<const std::string_view> args, std::ostream& out, std::ostream& err);

}  // namespace quorvanta::dbtool
