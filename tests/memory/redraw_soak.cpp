// Memory soak: start-up on a large synthetic catalogue, then many redraws of every medium on
// alternating scales and views, printing the resident set and the heap in use as they go (see the
// README's Memory section for the options). With --max-growth-kb it fails when the resident set
// (under AddressSanitizer, whose quarantine grows it by design: the heap in use) grew by more
// than K kB between redraw 10 and the last.
#include <malloc.h>
#include <stdlib.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "common/synthetic_catalogue.h"
#include "common/temp_dir.h"
#include "core/program.h"
#include "core/startup.h"
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
constexpr const char* kMeasured = "heap in use";
#else
constexpr const char* kMeasured = "RSS";
#endif

namespace {

using namespace quorvanta;

constexpr long kLargestCount = 65535;
constexpr int kEarlyRedraws = 10;  // by then every cache a redraw fills is full
constexpr int kStartUpPasses = 5;  // the loop's counted passes; the first drawing is among them

// The views the redraws cycle through, each on both scales: the start view, the whole range and a
// narrow stretch in the near infrared. Centre and width in nm.
constexpr struct {
    double centre, width;
} kViews[] = {{575.0, 450.0}, {10005.0, 19990.0}, {1064.0, 20.0}};

// A field of /proc/self/status in kB ("VmRSS", "VmHWM").
long statusKb(std::string_view field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (!line.starts_with(std::string(field) + ":")) continue;
        const auto digits = line.find_first_of("0123456789");
        long kb = -1;
        if (digits != std::string::npos)
            std::from_chars(line.data() + digits, line.data() + line.size(), kb);
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

// Prints both figures and returns the one the growth limit is checked on (see the top).
long sample(const std::string& when) {
    const long rss = statusKb("VmRSS"), heap = heapInUseKb();
    std::printf("%s: RSS %ld kB, heap in use %ld kB\n", when.c_str(), rss, heap);
#ifdef QUORVANTA_ADDRESS_SANITIZER
    return heap;
#else
    return rss;
#endif
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

void ignoreQuit() {}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // --media 1..65535, --lines 0..65535, --redraws >10, --max-growth-kb >= 0 (-1: no limit).
    long media = kLargestCount, lines = kLargestCount, redraws = 1000, maxGrowthKb = -1;
    bool usable = argc % 2 == 1;
    for (int i = 1; usable && i + 1 < argc; i += 2) {
        const std::string_view name = argv[i], text = argv[i + 1];
        long value = -1;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        usable = error == std::errc{} && end == text.data() + text.size() && value >= 0;
        if (name == "--media" && value >= 1 && value <= kLargestCount)
            media = value;
        else if (name == "--lines" && value <= kLargestCount)
            lines = value;
        else if (name == "--redraws" && value > kEarlyRedraws)
            redraws = value;
        else if (name == "--max-growth-kb")
            maxGrowthKb = value;
        else
            usable = false;
    }
    if (!usable) {
        std::fprintf(stderr,
                     "usage: redraw-soak [--media 1..65535] [--lines 0..65535] [--redraws N>10] "
                     "[--max-growth-kb K]\n");
        return 2;
    }

    const testing::TempDir folder;
    const std::vector<std::uint8_t> image = serializeTransitionDatabase(
        testing::syntheticCatalogue(std::int32_t(media), std::int32_t(lines)));
    testing::writeFile(folder / "wavelength.dat", image);
    std::printf("catalogue: %ld media, %ld lines, %zu bytes, in %s\n", media, lines, image.size(),
                folder.path().c_str());
    const std::filesystem::path startFolder = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());

    startUp();
    program.quitOperation = ignoreQuit;
    while (program.passCount < kStartUpPasses && XgrQueuedMessageCount() > 0)
        messageLoopPass();
    settle();
    sample("after start-up");

    std::fill(program.database.mediumSelected.begin() + 1, program.database.mediumSelected.end(),
              1);
    long early = 0;
    for (int n = 1; n <= redraws; ++n) {
        const auto& view = kViews[std::size_t(n / 2) % std::size(kViews)];
        program.view.scale = n % 2 == 0 ? Logarithmic : Linear;
        program.view.viewCentre = view.centre;
        program.view.viewWidth = view.width;
        DrawSpectrum(view.centre, view.width);
        settle();
        if (n == kEarlyRedraws) early = sample("after " + std::to_string(n) + " redraws");
    }
    const long growth = sample("after " + std::to_string(redraws) + " redraws") - early;
    std::printf("%s growth from redraw %d to %ld: %ld kB (%.1f bytes per redraw)\n", kMeasured,
                kEarlyRedraws, redraws, growth,
                1024.0 * double(growth) / double(redraws - kEarlyRedraws));
    std::printf("peak RSS: %ld kB\n", statusKb("VmHWM"));

    XgrResetToolkit();
    clearProgramState();
    std::filesystem::current_path(startFolder);
    if (maxGrowthKb >= 0 && growth > maxGrowthKb) {
        std::fprintf(stderr, "redraw-soak: %s grew by %ld kB, more than %ld kB\n", kMeasured,
                     growth, maxGrowthKb);
        return 1;
    }
    return 0;
}
