#include "database/replace_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvanta {

namespace {

std::string reason(const std::string& what, int number) {
    return what + ": " + std::strerror(number);
}

// Writes all bytes, going on after interruptions; false with errno set when the write fails.
bool writeAll(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool replaceFile(const std::string& path, std::span<const std::uint8_t> bytes, std::string& error) {
    // A new file of a name nobody holds (mkostemp creates it exclusively), so that no file or
    // link already standing in the folder is ever written through.
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        error = reason("cannot create a temporary file beside " + path, errno);
        return false;
    }
    // mkostemp makes the file private; the new file is an ordinary one.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    // The descriptor is closed whatever happens; the first failure is the one reported.
    const bool written = writeAll(fd, bytes) && ::fsync(fd) == 0;
    const int writeError = errno;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        error = reason("cannot write " + path, written ? errno : writeError);
        ::unlink(temporary.c_str());
        return false;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = reason("cannot replace " + path, errno);
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace quorvanta
