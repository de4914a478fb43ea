#include "core/settings.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "toolkit/gui_names.h"
#include "toolkit/toolkit.h"

namespace quorvanta {

namespace {

std::int32_t readInt32(const std::vector<unsigned char>& bytes, std::size_t offset) {
    const std::uint32_t value =
        std::uint32_t{bytes[offset]} | std::uint32_t{bytes[offset + 1]} << 8 |
        std::uint32_t{bytes[offset + 2]} << 16 | std::uint32_t{bytes[offset + 3]} << 24;
    return static_cast<std::int32_t>(value);
}

void appendInt32(std::vector<unsigned char>& bytes, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(static_cast<unsigned char>((bits >> shift) & 0xFF));
}

std::string reason(const char* what, const std::string& path) {
    return std::string(what) + " " + path + ": " + std::strerror(errno);
}

}  // namespace

std::array<StoredPosition, 4> readSettingsFile(const std::string& path) {
    std::array<StoredPosition, 4> positions;
    positions.fill({-1, -1});
    std::ifstream file(path, std::ios::binary);
    if (!file) return positions;
    std::vector<unsigned char> bytes(kSettingsFileSize);
    file.read(reinterpret_cast<char*>(bytes.data()), kSettingsFileSize);
    const auto got = static_cast<std::size_t>(file.gcount());
    for (std::size_t record = 0; record < positions.size(); ++record) {
        const std::size_t offset = record * kSettingsRecordSize;
        if (offset + kSettingsRecordSize > got) break;
        positions[record] = {readInt32(bytes, offset), readInt32(bytes, offset + 4)};
    }
    return positions;
}

bool writeSettingsFile(const std::string& path, const std::array<WindowPlacement, 4>& records,
                       std::string& error) {
    std::vector<unsigned char> bytes;
    bytes.reserve(kSettingsFileSize);
    for (const WindowPlacement& r : records) {
        appendInt32(bytes, r.x);
        appendInt32(bytes, r.y);
        appendInt32(bytes, r.width);
        appendInt32(bytes, r.height);
    }
    const std::string temporary = path + ".new";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = reason("cannot create", temporary);
        return false;
    }
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = reason("cannot write", temporary);
            ::close(fd);
            ::unlink(temporary.c_str());
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        error = reason("cannot write", temporary);
        ::unlink(temporary.c_str());
        return false;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = reason("cannot replace", path);
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

void readSettings() {
    program.storedPositions = readSettingsFile(program.programDirectory + kSettingsFileName);
}

void saveSettings() {
    std::array<WindowPlacement, 4> records;
    const std::array<std::int32_t, 4> windows = {program.mainWindow, program.aboutWindow,
                                                 program.mediaWindow, program.phaseWindow};
    for (std::size_t i = 0; i < windows.size(); ++i) {
        std::int32_t grid = windows[i], message = msg.GetWindowSize, x = 0, y = 0, width = 0,
                     height = 0, r0 = 0, r1 = 0;
        XuiGetWindowSize(grid, message, x, y, width, height, r0, r1);
        records[i] = {x, y, width, height};
    }
    const std::string path = program.programDirectory + kSettingsFileName;
    std::string error;
    if (!writeSettingsFile(path, records, error))
        XstLog("Quorvanta: window positions not saved: " + error);
}

void quitProgram() {
    saveSettings();
    XuiHelpEnable();
    XxxTerminate(0);
}

}  // namespace quorvanta
