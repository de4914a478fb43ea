#include "database/transition_database.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>

namespace quorvanta {

namespace {

static_assert(sizeof(Medium) == kMediumRecordSize && alignof(Medium) == 1,
              "a Medium must be its record's bytes and nothing else");
static_assert(sizeof(Transition) == kTransitionRecordSize && alignof(Transition) == 1,
              "a Transition must be its record's bytes and nothing else");
static_assert(kNoteOffset + kNoteFieldSize == kTransitionRecordSize,
              "the note field is the record's last reserved bytes");

using Bytes8 = std::array<std::uint8_t, sizeof(double)>;

// The file is little-endian whatever the machine; a big-endian host reverses the bytes.
Bytes8 littleEndianOrder(Bytes8 bytes) {
    if constexpr (std::endian::native == std::endian::big) std::reverse(bytes.begin(), bytes.end());
    return bytes;
}

double readDouble(const std::uint8_t* at) {
    Bytes8 bytes;
    std::memcpy(bytes.data(), at, bytes.size());
    return std::bit_cast<double>(littleEndianOrder(bytes));
}

void writeDouble(std::uint8_t* at, double value) {
    const Bytes8 bytes = littleEndianOrder(std::bit_cast<Bytes8>(value));
    std::memcpy(at, bytes.data(), bytes.size());
}

std::uint16_t readU16(const std::uint8_t* at) {
    return static_cast<std::uint16_t>(at[0] | (at[1] << 8));
}

void appendU16(std::vector<std::uint8_t>& out, std::int32_t value) {
    const auto word = static_cast<std::uint16_t>(value);
    out.push_back(static_cast<std::uint8_t>(word & 0xff));
    out.push_back(static_cast<std::uint8_t>(word >> 8));
}

void copyText(std::string_view text, std::uint8_t* field, std::size_t fieldSize) {
    std::memcpy(field, text.data(), std::min(text.size(), fieldSize));
}

// The part of a vector that counts say is in use, never beyond what the vector holds: callers may
// hand in a model whose counts and arrays disagree.
std::int32_t usedCount(std::int32_t count, std::size_t arraySize) {
    const auto available = static_cast<std::int64_t>(arraySize) - 1;
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(count, 0, available < 0 ? 0 : available));
}

// The text of a name field and a hash of it, found in one pass over its at most 20 bytes.
struct NameKey {
    std::string_view text;
    std::uint32_t hash = 0;
};

NameKey nameKey(const std::uint8_t* field) {
    std::uint32_t hash = 2166136261u;  // FNV-1a
    std::size_t length = 0;
    while (length < std::size_t(kNameSize) && field[length] != 0)
        hash = (hash ^ field[length++]) * 16777619u;
    return {{reinterpret_cast<const char*>(field), length}, hash};
}

// Open-addressing table from a medium name to its group: the media that bear the name. Groups are
// numbered 0, 1, ... in order of their first medium. At most half the slots are taken, so a probe
// always ends at a free slot. Slots keep their name's hash, so that most probes that do not match
// are settled without reading a record.
class MediumNameIndex {
  public:
    static constexpr std::uint32_t kNone = 0xffffffff;

    MediumNameIndex(const std::vector<Medium>& media, std::int32_t mediumCount)
        : media_(media),
          slotBits_(static_cast<int>(
              std::bit_width(std::max<std::size_t>(4, 2 * std::size_t(mediumCount)) - 1))),
          slots_(std::size_t{1} << slotBits_) {
        groupFirstMedium_.reserve(std::size_t(mediumCount));
    }

    // The group of medium i's name, opened with i when the name is new.
    std::uint32_t add(std::int32_t i) {
        const NameKey key = nameKey(media_[std::size_t(i)].bytes.data());
        Slot& slot = slots_[probe(key)];
        if (slot.group == kNone) {
            slot = {static_cast<std::uint32_t>(groupFirstMedium_.size()), key.hash};
            groupFirstMedium_.push_back(i);
        }
        return slot.group;
    }

    // The group of the name in a name field, or kNone when no medium bears it.
    std::uint32_t find(const std::uint8_t* nameField) const {
        return slots_[probe(nameKey(nameField))].group;
    }

    std::size_t groupCount() const { return groupFirstMedium_.size(); }

  private:
    struct Slot {
        std::uint32_t group = kNone;  // kNone: free
        std::uint32_t hash = 0;
    };

    std::size_t probe(const NameKey& key) const {
        // Fibonacci hashing: the multiply spreads FNV-1a's weak low bits over the slot number.
        const std::size_t mask = slots_.size() - 1;
        std::size_t at = (key.hash * 0x9E3779B1u) >> (32 - slotBits_);
        while (slots_[at].group != kNone &&
               (slots_[at].hash != key.hash ||
                media_[std::size_t(groupFirstMedium_[slots_[at].group])].name() != key.text))
            at = (at + 1) & mask;
        return at;
    }

    const std::vector<Medium>& media_;
    int slotBits_;
    std::vector<Slot> slots_;
    std::vector<std::int32_t> groupFirstMedium_;
};

struct Header {
    std::int32_t transitions = 0;
    std::int32_t media = 0;
    std::int32_t phases = 0;
};

Header readHeader(const std::uint8_t* at) {
    return {readU16(at), readU16(at + 2), readU16(at + 4)};
}

std::size_t mediaBytes(std::int32_t count) {
    return std::size_t(count) * kMediumRecordSize;
}
std::size_t transitionBytes(std::int32_t count) {
    return std::size_t(count) * kTransitionRecordSize;
}

struct RecordCounts {
    std::int32_t media = 0;
    std::int32_t transitions = 0;
};

// The complete records among the first `available` bytes after the header. Transitions count only
// once all promised media are there, since their offsets hang on the promised medium count.
RecordCounts completeRecords(const Header& header, std::uintmax_t available) {
    RecordCounts counts;
    counts.media = static_cast<std::int32_t>(
        std::min<std::uintmax_t>(std::uintmax_t(header.media), available / kMediumRecordSize));
    if (counts.media == header.media) {
        const std::uintmax_t afterMedia = available - mediaBytes(header.media);
        counts.transitions = static_cast<std::int32_t>(std::min<std::uintmax_t>(
            std::uintmax_t(header.transitions), afterMedia / kTransitionRecordSize));
    }
    return counts;
}

// Sizes the model for the given records, all zero until filled in, none selected. Clearing first
// keeps the storage of an earlier load for reuse.
// Asks for the whole 2 MiB pages inside an array's storage to be huge pages: the largest
// catalogue's transitions (10 MB) then take a handful of page faults instead of thousands, which
// is most of the time of loading it into fresh memory.
template <typename Record>
void reserveInHugePages(std::vector<Record>& records, std::size_t count) {
    records.reserve(count);
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t kHugePage = std::uintptr_t{1} << 21;
    const auto begin = reinterpret_cast<std::uintptr_t>(records.data());
    const std::uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t last = (begin + count * sizeof(Record)) & ~(kHugePage - 1);
    if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
}

void sizeModel(TransitionDatabase& db, std::int32_t phases, RecordCounts counts) {
    db.phaseCount = phases;
    db.mediumCount = counts.media;
    db.transitionCount = counts.transitions;
    db.media.clear();
    reserveInHugePages(db.media, std::size_t(counts.media) + 1);
    db.media.resize(std::size_t(counts.media) + 1);
    db.transitions.clear();
    reserveInHugePages(db.transitions, std::size_t(counts.transitions) + 1);
    db.transitions.resize(std::size_t(counts.transitions) + 1);
    db.mediumSelected.assign(std::size_t(counts.media) + 1, 0);
}

void resetToEmpty(TransitionDatabase& db) {
    sizeModel(db, 0, {});
    db.resolveMediumNames();
}

std::string counted(std::uintmax_t n, std::string_view one, std::string_view many) {
    return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

LoadReport tooShortForHeader(std::string_view sourceName, std::size_t size,
                             TransitionDatabase& db) {
    resetToEmpty(db);
    LoadReport report;
    report.status = LoadReport::Status::TooShortForHeader;
    report.damaged = true;
    report.message = std::string(sourceName) + ": the file holds " +
                     counted(size, "byte", "bytes") + ", fewer than the " +
                     std::to_string(kHeaderSize) + "-byte header; loaded nothing.";
    return report;
}

// Once the records are in: the wavelength extremes, the medium-name relation and the report.
LoadReport finishLoad(TransitionDatabase& db, const Header& header, std::string_view sourceName,
                      std::uintmax_t fileSize) {
    for (std::int32_t k = 1; k <= db.transitionCount; ++k) {
        const double w = db.transitions[std::size_t(k)].wavelength();
        // A NaN has no place on the axis: it counts as beyond the longest wavelength shown, so
        // the catalogue is not said to lie wholly within the displayable range.
        if (std::isnan(w)) db.maxWavelength = std::numeric_limits<double>::infinity();
        if (db.maxWavelength < w) db.maxWavelength = w;
        if (db.minWavelength > w) db.minWavelength = w;
    }
    db.resolveMediumNames();

    LoadReport report;
    if (db.mediumCount != header.media || db.transitionCount != header.transitions) {
        report.status = LoadReport::Status::Truncated;
        report.damaged = true;
        report.message =
            std::string(sourceName) + ": header promises " +
            counted(std::uintmax_t(header.media), "medium", "media") + " and " +
            counted(std::uintmax_t(header.transitions), "transition", "transitions") + " (" +
            counted(mediaBytes(header.media) + transitionBytes(header.transitions), "byte",
                    "bytes") +
            " after the header) but the file holds " + counted(fileSize, "byte", "bytes") +
            "; loaded " + counted(std::uintmax_t(db.mediumCount), "medium", "media") + " and " +
            counted(std::uintmax_t(db.transitionCount), "transition", "transitions") + ".";
    } else if (db.unresolvedTransitions > 0) {
        report.status = LoadReport::Status::TooManyMatches;
        report.damaged = true;
        report.message =
            std::string(sourceName) + ": " +
            counted(std::uintmax_t(db.unresolvedTransitions), "transition", "transitions") +
            " left without media: their names match more than " +
            std::to_string(kMaxMediumMatches) + " media in all.";
    }
    return report;
}

// Reads into the buffers from offset on until they are full or the file ends; the bytes read, or
// -1 on a read error.
std::int64_t readAt(int fd, std::span<iovec> buffers, off_t offset) {
    std::int64_t total = 0;
    while (!buffers.empty()) {
        const ssize_t n = ::preadv(fd, buffers.data(), static_cast<int>(buffers.size()), offset);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        total += n;
        offset += n;
        auto left = std::size_t(n);
        while (!buffers.empty() && left >= buffers.front().iov_len) {
            left -= buffers.front().iov_len;
            buffers = buffers.subspan(1);
        }
        if (!buffers.empty()) {
            buffers.front().iov_base = static_cast<std::uint8_t*>(buffers.front().iov_base) + left;
            buffers.front().iov_len -= left;
        }
    }
    return total;
}

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

}  // namespace

std::string_view fieldText(std::span<const std::uint8_t> field) {
    const void* nul = std::memchr(field.data(), 0, field.size());
    const std::size_t length =
        nul ? std::size_t(static_cast<const std::uint8_t*>(nul) - field.data()) : field.size();
    return {reinterpret_cast<const char*>(field.data()), length};
}

std::string_view Medium::name() const {
    return fieldText(std::span(bytes).first<kNameSize>());
}

std::string_view Medium::phase() const {
    return fieldText(std::span(bytes).subspan<kNameSize, kPhaseSize>());
}

std::string_view Transition::mediumName() const {
    return fieldText(std::span(bytes).first<kNameSize>());
}

double Transition::wavelength() const {
    return readDouble(bytes.data() + kWavelengthOffset);
}

std::string Transition::note() const {
    std::string text(fieldText(std::span(bytes).subspan<kNoteOffset, kNoteFieldSize>()));
    for (char& c : text)
        if (c < ' ' || c > '~') c = '?';
    return text;
}

std::span<const std::int32_t> TransitionDatabase::mediaOf(std::int32_t k) const {
    if (k < 1 || k > transitionCount || std::size_t(k) + 1 >= matchStart.size()) return {};
    const std::uint32_t begin = matchStart[std::size_t(k)];
    const std::uint32_t end = matchStart[std::size_t(k) + 1];
    if (begin > end || end > matchMedia.size()) return {};
    return std::span(matchMedia).subspan(begin, end - begin);
}

std::int32_t TransitionDatabase::shownMedium(std::int32_t k) const {
    const auto candidates = mediaOf(k);
    for (auto it = candidates.rbegin(); it != candidates.rend(); ++it) {
        const auto i = std::size_t(*it);
        if (i < mediumSelected.size() && mediumSelected[i] == 1) return *it;
    }
    return 0;
}

void TransitionDatabase::resolveMediumNames() {
    const std::int32_t mediumsUsed = usedCount(mediumCount, media.size());
    const std::int32_t transitionsUsed = usedCount(transitionCount, transitions.size());

    // Group the media by name. Counting sort: the members of group g, ascending, end up in
    // groupMembers[groupStart[g] .. groupStart[g + 1]).
    MediumNameIndex index(media, mediumsUsed);
    std::vector<std::uint32_t> groupOfMedium(std::size_t(mediumsUsed) + 1);
    for (std::int32_t i = 1; i <= mediumsUsed; ++i)
        groupOfMedium[std::size_t(i)] = index.add(i);
    const std::size_t groups = index.groupCount();
    std::vector<std::uint32_t> groupStart(groups + 1, 0);
    for (std::int32_t i = 1; i <= mediumsUsed; ++i)
        ++groupStart[groupOfMedium[std::size_t(i)] + 1];
    for (std::size_t g = 0; g < groups; ++g)
        groupStart[g + 1] += groupStart[g];
    std::vector<std::int32_t> groupMembers(static_cast<std::size_t>(mediumsUsed));
    for (std::int32_t i = 1; i <= mediumsUsed; ++i)
        groupMembers[groupStart[groupOfMedium[std::size_t(i)]]++] = i;
    for (std::size_t g = groups; g > 0; --g)
        groupStart[g] = groupStart[g - 1];
    groupStart[0] = 0;

    // Each transition takes its name's whole group, as long as the relation stays within
    // kMaxMediumMatches entries; the group numbers are kept for the second pass.
    std::vector<std::uint32_t> groupOfTransition(std::size_t(transitionsUsed) + 1,
                                                 MediumNameIndex::kNone);
    matchStart.assign(std::size_t(transitionsUsed) + 2, 0);
    unresolvedTransitions = 0;
    std::size_t total = 0;
    for (std::int32_t k = 1; k <= transitionsUsed; ++k) {
        const std::uint32_t g = index.find(transitions[std::size_t(k)].bytes.data());
        const std::size_t size =
            g == MediumNameIndex::kNone ? 0 : groupStart[g + 1] - groupStart[g];
        if (total + size > kMaxMediumMatches) {
            ++unresolvedTransitions;
        } else if (size > 0) {
            groupOfTransition[std::size_t(k)] = g;
            total += size;
        }
        matchStart[std::size_t(k) + 1] = static_cast<std::uint32_t>(total);
    }
    matchMedia.resize(total);
    for (std::int32_t k = 1; k <= transitionsUsed; ++k) {
        const std::uint32_t g = groupOfTransition[std::size_t(k)];
        if (g == MediumNameIndex::kNone) continue;
        std::copy(groupMembers.begin() + groupStart[g], groupMembers.begin() + groupStart[g + 1],
                  matchMedia.begin() + matchStart[std::size_t(k)]);
    }
}

LoadReport loadTransitionDatabase(std::span<const std::uint8_t> image, std::string_view sourceName,
                                  TransitionDatabase& db) {
    if (image.size() < std::size_t(kHeaderSize))
        return tooShortForHeader(sourceName, image.size(), db);
    const Header header = readHeader(image.data());
    const RecordCounts counts = completeRecords(header, image.size() - kHeaderSize);
    sizeModel(db, header.phases, counts);
    const std::uint8_t* records = image.data() + kHeaderSize;
    if (counts.media > 0) std::memcpy(db.media.data() + 1, records, mediaBytes(counts.media));
    if (counts.transitions > 0)
        std::memcpy(db.transitions.data() + 1, records + mediaBytes(counts.media),
                    transitionBytes(counts.transitions));
    return finishLoad(db, header, sourceName, image.size());
}

LoadReport loadTransitionDatabaseFile(const std::string& path, TransitionDatabase& db) {
    // O_NONBLOCK: a named pipe in the catalogue's place is turned away below instead of
    // waiting for a writer for ever; reads of a regular file are not affected.
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat status {};
    const bool opened = file.get() >= 0;
    const int openError = errno;
    if (!opened || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        resetToEmpty(db);
        LoadReport report;
        if (!opened && (openError == ENOENT || openError == ENOTDIR)) {
            report.status = LoadReport::Status::Missing;
            report.message = path + ": no such file; the catalogue is empty.";
        } else {
            report.status = LoadReport::Status::Unreadable;
            report.message = path + ": cannot be read (" +
                             (opened ? "not a regular file" : std::strerror(openError)) +
                             "); the catalogue is empty.";
        }
        return report;
    }

    // The header, then every complete record in one read straight into the model's arrays, so
    // the 11.8 MB of the largest catalogue are copied once.
    std::array<std::uint8_t, kHeaderSize> headerBytes{};
    iovec headerBuffer{headerBytes.data(), headerBytes.size()};
    const std::int64_t headerRead = readAt(file.get(), std::span(&headerBuffer, 1), 0);
    if (headerRead >= 0 && headerRead < kHeaderSize)
        return tooShortForHeader(path, std::size_t(headerRead), db);
    const Header header = readHeader(headerBytes.data());
    const auto fileSize = static_cast<std::uintmax_t>(status.st_size);
    RecordCounts counts =
        completeRecords(header, fileSize < kHeaderSize ? 0 : fileSize - kHeaderSize);
    sizeModel(db, header.phases, counts);
    std::array<iovec, 2> recordBuffers = {{
        {db.media.data() + 1, mediaBytes(counts.media)},
        {db.transitions.data() + 1, transitionBytes(counts.transitions)},
    }};
    const std::int64_t recordsRead =
        headerRead < 0 ? -1 : readAt(file.get(), recordBuffers, kHeaderSize);
    if (recordsRead < 0) {
        resetToEmpty(db);
        LoadReport report;
        report.status = LoadReport::Status::Unreadable;
        report.message =
            path + ": cannot be read (" + std::strerror(errno) + "); the catalogue is empty.";
        return report;
    }
    if (std::uintmax_t(recordsRead) <
        mediaBytes(counts.media) + transitionBytes(counts.transitions)) {
        // The file shrank since it was measured: keep what arrived.
        counts = completeRecords(header, std::uintmax_t(recordsRead));
        db.mediumCount = counts.media;
        db.transitionCount = counts.transitions;
        db.media.resize(std::size_t(counts.media) + 1);
        db.transitions.resize(std::size_t(counts.transitions) + 1);
        db.mediumSelected.resize(std::size_t(counts.media) + 1);
        return finishLoad(db, header, path, kHeaderSize + std::uintmax_t(recordsRead));
    }
    return finishLoad(db, header, path, fileSize);
}

std::vector<std::uint8_t> serializeTransitionDatabase(const TransitionDatabase& db) {
    const std::int32_t mediaHeld =
        std::min(usedCount(db.mediumCount, db.media.size()), kMaxRecords);
    const std::int32_t transitionsHeld =
        std::min(usedCount(db.transitionCount, db.transitions.size()), kMaxRecords);
    std::vector<std::uint8_t> image;
    image.reserve(kHeaderSize + std::size_t(mediaHeld) * kMediumRecordSize +
                  std::size_t(transitionsHeld) * kTransitionRecordSize);
    appendU16(image, transitionsHeld);
    appendU16(image, mediaHeld);
    appendU16(image, db.phaseCount);
    for (std::int32_t i = 1; i <= mediaHeld; ++i) {
        const auto& bytes = db.media[std::size_t(i)].bytes;
        image.insert(image.end(), bytes.begin(), bytes.end());
    }
    for (std::int32_t k = 1; k <= transitionsHeld; ++k) {
        const auto& bytes = db.transitions[std::size_t(k)].bytes;
        image.insert(image.end(), bytes.begin(), bytes.end());
    }
    return image;
}

Medium makeMedium(std::string_view name, std::string_view phase) {
    Medium medium;
    copyText(name, medium.bytes.data(), kNameSize);
    copyText(phase, medium.bytes.data() + kNameSize, kPhaseSize);
    return medium;
}

Transition makeTransition(std::string_view mediumName, double wavelength) {
    Transition transition;
    copyText(mediumName, transition.bytes.data(), kNameSize);
    writeDouble(transition.bytes.data() + kWavelengthOffset, wavelength);
    return transition;
}

}  // namespace quorvanta
