// What the fuzz targets share: a check that stops the run with a message (the fuzzer keeps the
// input that made it fail), and a way to hand bytes to code that reads files.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

#define FUZZ_CHECK(condition) \
    ((condition) ? void(0) : ::quorvanta::fuzz::fail(#condition, __FILE__, __LINE__))

namespace quorvanta::fuzz {

[[noreturn]] inline void fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
    std::abort();
}

// A file in memory, opened once per process and overwritten with each input: the readers that take
// a path see the fuzz bytes without the fuzzer touching the disk.
class MemoryFile {
  public:
    const std::string& hold(std::span<const std::uint8_t> bytes) {
        FUZZ_CHECK(fd_ >= 0 && ::ftruncate(fd_, 0) == 0);
        for (std::size_t written = 0; written < bytes.size();) {
            const ssize_t n = ::pwrite(fd_, bytes.data() + written, bytes.size() - written,
                                       static_cast<off_t>(written));
            FUZZ_CHECK(n > 0);
            written += static_cast<std::size_t>(n);
        }
        return path_;
    }

  private:
    int fd_ = ::memfd_create("quorvanta-fuzz", MFD_CLOEXEC);
    std::string path_ = "/proc/self/fd/" + std::to_string(fd_);
};

}  // namespace quorvanta::fuzz
