// Memory soak: the program's start-up on a large synthetic catalogue, then many redraws of the
// whole spectrum with every medium selected, alternating scales and views. Prints the resident set
// size and the heap in use after start-up, after the first 10 redraws and after the last, so that
// growth per redraw shows; run it under valgrind or heaptrack for leaks and peak heap.
//
//   redraw-soak [--media N] [--lines N] [--redraws N] [--max-growth-kb K]
//
// Defaults: the largest catalogue (65535 media, 65535 lines) and 1000 redraws. With
// --max-growth-kb the exit status is 1 when the resident set grew by more than K kB between redraw
// 10 and the last. Built with AddressSanitizer, whose allocator holds freed blocks back in a
// quarantine so that the resident set grows by design, the limit applies to the heap in use
// instead.
#include <malloc.h>
#include <stdlib.h>
#include <unistd.h>

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/synthetic_catalogue.h"
#include "core/program.h"
#include "core/startup.h"
#include "database/transition_database.h"
#include "spectrum/renderer.h"
#include "toolkit/toolkit.h"

#if defined(__SANITIZE_ADDRESS__)
#define QUORVANTA_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUORVANTA_ADDRESS_SANITIZER 1
#endif
#endif

#ifdef QUORVANTA_ADDRESS_SANITIZER
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

using namespace quorvanta;

constexpr std::int32_t kLargestCount = 65535;
constexpr int kDefaultRedraws = 1000;
constexpr int kEarlyRedraws = 10;  // by then every cache a redraw fills is full
constexpr int kStartUpPasses = 5;  // the loop's counted passes; the first drawing is among them

struct Options {
    std::int32_t media = kLargestCount;
    std::int32_t lines = kLargestCount;
    int redraws = kDefaultRedraws;
    std::optional<long> maxGrowthKb;
};

// The views the redraws cycle through, each on both scales: the start view, the whole range and a
// narrow stretch in the near infrared. Centre and width in nm.
struct View {
    double centre;
    double width;
};
constexpr View kViews[] = {{575.0, 450.0}, {10005.0, 19990.0}, {1064.0, 20.0}};

// A field of /proc/self/status in kB ("VmRSS", "VmHWM").
long statusKb(std::string_view field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (!line.starts_with(field) || line.size() <= field.size() || line[field.size()] != ':')
            continue;
        const char* at = line.data() + field.size() + 1;
        while (*at == ' ' || *at == '\t')
            ++at;
        long kb = 0;
        std::from_chars(at, line.data() + line.size(), kb);
        return kb;
    }
    return -1;
}

// The bytes the program has allocated and not freed, in kB.
long heapInUseKb() {
#ifdef QUORVANTA_ADDRESS_SANITIZER
    return static_cast<long>(__sanitizer_get_current_allocated_bytes() / 1024);
#else
    const struct mallinfo2 info = ::mallinfo2();
    return static_cast<long>((info.uordblks + info.hblkhd) / 1024);
#endif
}

// What the growth limit is checked on: see the top of the file.
#ifdef QUORVANTA_ADDRESS_SANITIZER
constexpr const char* kMeasured = "heap in use";
long measuredKb() {
    return heapInUseKb();
}
#else
constexpr const char* kMeasured = "RSS";
long measuredKb() {
    return statusKb("VmRSS");
}
#endif

struct Sample {
    long rssKb;
    long heapKb;
    long measuredKb;
};

Sample sample(const char* when) {
    const Sample s{statusKb("VmRSS"), heapInUseKb(), measuredKb()};
    std::printf("%s: RSS %ld kB, heap in use %ld kB\n", when, s.rssKb, s.heapKb);
    return s;
}

bool parseNumber(const char* text, long& value) {
    const std::string_view s(text);
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
    return error == std::errc{} && end == s.data() + s.size() && value >= 0;
}

std::optional<Options> parseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string_view name = argv[i];
        long value = 0;
        if (!parseNumber(argv[i + 1], value)) return std::nullopt;
        if (name == "--media" && value >= 1 && value <= kLargestCount) {
            options.media = static_cast<std::int32_t>(value);
        } else if (name == "--lines" && value <= kLargestCount) {
            options.lines = static_cast<std::int32_t>(value);
        } else if (name == "--redraws" && value > kEarlyRedraws) {
            options.redraws = static_cast<int>(value);
        } else if (name == "--max-growth-kb") {
            options.maxGrowthKb = value;
        } else {
            return std::nullopt;
        }
    }
    if (argc % 2 == 0) return std::nullopt;
    return options;
}

// Lets the toolkit deliver what the last step made (repaints), and hands every queued message to
// the program, as the loop would.
void settle() {
    XgrFlushEvents();
    while (XgrQueuedMessageCount() > 0) {
        XgrProcessMessages(1);
        XgrFlushEvents();
    }
}

void redraw(int n) {
    const View& view = kViews[std::size_t(n / 2) % std::size(kViews)];
    program.view.scale = n % 2 == 0 ? Logarithmic : Linear;
    program.view.viewCentre = view.centre;
    program.view.viewWidth = view.width;
    DrawSpectrum(view.centre, view.width);
    settle();
}

void ignoreQuit() {}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const std::optional<Options> parsed = parseOptions(argc, argv);
    if (!parsed) {
        std::fprintf(stderr,
                     "usage: redraw-soak [--media 1..65535] [--lines 0..65535] [--redraws N>10] "
                     "[--max-growth-kb K]\n");
        return 2;
    }
    const Options& options = *parsed;

    std::string folder =
        (std::filesystem::temp_directory_path() / "quorvanta-soak-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
        std::perror("redraw-soak: cannot create a temporary folder");
        return 1;
    }
    {
        const std::vector<std::uint8_t> image = serializeTransitionDatabase(
            quorvanta::testing::syntheticCatalogue(options.media, options.lines));
        std::ofstream out(std::filesystem::path(folder) / "wavelength.dat", std::ios::binary);
        out.write(reinterpret_cast<const char*>(image.data()),
                  static_cast<std::streamsize>(image.size()));
        std::printf("catalogue: %d media, %d lines, %zu bytes, in %s\n", options.media,
                    options.lines, image.size(), folder.c_str());
    }
    const std::filesystem::path startFolder = std::filesystem::current_path();
    std::filesystem::current_path(folder);

    startUp();
    program.quitOperation = ignoreQuit;
    while (program.passCount < kStartUpPasses && XgrQueuedMessageCount() > 0)
        messageLoopPass();
    settle();
    sample("after start-up");

    std::fill(program.database.mediumSelected.begin() + 1, program.database.mediumSelected.end(),
              1);
    Sample early{};
    for (int n = 1; n <= options.redraws; ++n) {
        redraw(n);
        if (n == kEarlyRedraws)
            early = sample(("after " + std::to_string(kEarlyRedraws) + " redraws").c_str());
    }
    const Sample last = sample(("after " + std::to_string(options.redraws) + " redraws").c_str());
    const long growth = last.measuredKb - early.measuredKb;
    std::printf("%s growth from redraw %d to %d: %ld kB (%.1f bytes per redraw)\n", kMeasured,
                kEarlyRedraws, options.redraws, growth,
                1024.0 * double(growth) / double(options.redraws - kEarlyRedraws));
    std::printf("peak RSS: %ld kB\n", statusKb("VmHWM"));

    XgrResetToolkit();
    clearProgramState();
    std::filesystem::current_path(startFolder);
    std::filesystem::remove_all(folder);

    if (options.maxGrowthKb && growth > *options.maxGrowthKb) {
        std::fprintf(stderr, "redraw-soak: %s grew by %ld kB, more than %ld kB\n", kMeasured,
                     growth, *options.maxGrowthKb);
        return 1;
    }
    return 0;
}
