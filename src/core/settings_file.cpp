#include "core/settings_file.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "database/replace_file.h"

namespace quorvanta {

namespace {

std::int32_t readInt32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    const std::uint32_t value =
        std::uint32_t{bytes[offset]} | std::uint32_t{bytes[offset + 1]} << 8 |
        std::uint32_t{bytes[offset + 2]} << 16 | std::uint32_t{bytes[offset + 3]} << 24;
    return static_cast<std::int32_t>(value);
}

void writeInt32(std::uint8_t* at, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        *at++ = static_cast<std::uint8_t>((bits >> shift) & 0xFF);
}

}  // namespace

std::array<StoredPosition, 4> parseSettings(std::span<const std::uint8_t> bytes) {
    std::array<StoredPosition, 4> positions;
    positions.fill({-1, -1});
    for (std::size_t record = 0; record < positions.size(); ++record) {
        const std::size_t offset = record * kSettingsRecordSize;
        if (offset + kSettingsRecordSize > bytes.size()) break;
        positions[record] = {readInt32(bytes, offset), readInt32(bytes, offset + 4)};
    }
    return positions;
}

std::array<std::uint8_t, kSettingsFileSize> encodeSettings(
    const std::array<WindowPlacement, 4>& records) {
    std::array<std::uint8_t, kSettingsFileSize> bytes{};
    std::uint8_t* at = bytes.data();
    for (const WindowPlacement& r : records) {
        for (std::int32_t value : {r.x, r.y, r.width, r.height}) {
            writeInt32(at, value);
            at += 4;
        }
    }
    return bytes;
}

std::array<StoredPosition, 4> readSettingsFile(const std::string& path) {
    std::array<std::uint8_t, kSettingsFileSize> bytes{};
    std::size_t got = 0;
    // Only a regular file counts: opening a named pipe without O_NONBLOCK would wait for a writer
    // for ever, and a device could hand out anything.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat status {};
    if (fd >= 0 && ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        while (got < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
    }
    if (fd >= 0) ::close(fd);
    return parseSettings(std::span(bytes).first(got));
}

bool writeSettingsFile(const std::string& path, const std::array<WindowPlacement, 4>& records,
                       std::string& error) {
    return replaceFile(path, encodeSettings(records), error);
}

}  // namespace quorvanta
