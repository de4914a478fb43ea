// Redraws of the spectrum into an offscreen main grid, loads of the largest catalogue, and the
// main window's exports (the lines in view as CSV, the picture as PNG).
//
//   quorvanta_bench [--db FILE] [Google Benchmark options]
//
// Synthetic catalogues look like real ones: wavelengths log-uniform over 10..20000 nm rounded to
// five significant digits, lines in random stored order, each of a random medium (fixed seed).
// --db FILE also times that catalogue's redraws (all media selected, both scales, start view and
// full range) and prints one line per case. The same run times the full-scan lookup of each line's
// medium on the largest catalogue and prints its ratio to the resolved relation.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "common/synthetic_catalogue.h"
#include "core/program.h"
#include "database/transition_database.h"
#include "spectrum/renderer.h"
#include "spectrum/spectrum_view.h"
#include "toolkit/toolkit.h"
#include "windows/export_content.h"

namespace {

using namespace quorvanta;

constexpr std::int32_t kGridWidth = 1000;
constexpr std::int32_t kGridHeight = 700;
constexpr std::int32_t kBackground = 93;
constexpr double kShortestWavelength = 10.0;  // nm, the displayable range
constexpr double kLongestWavelength = 20000.0;

// The main grid as start-up makes it: a 1000 x 700 window grid drawing into an image buffer.
void createMainGrid() {
    std::int32_t window = 0;
    XgrCreateWindow(window, 0, 0, 0, kGridWidth, kGridHeight, 0, 0);
    std::int32_t grid = 0, x = 0, y = 0, width = kGridWidth, height = kGridHeight;
    XuiCreateGrid(grid, 0, x, y, width, height, window, 0, nullptr);
    std::int32_t buffer = 0;
    XgrCreateGrid(buffer, kImageGridType, 0, 0, kGridWidth, kGridHeight, window, grid, nullptr);
    XgrSetGridBuffer(grid, buffer, 0, 0);
    XgrSetBackgroundColor(grid, kBackground);
    program.mainWindow = grid;
}

struct Catalogue {
    std::string name;
    TransitionDatabase db;
};

Catalogue makeCatalogue(std::int32_t media, std::int32_t lines) {
    return {std::to_string(media) + "x" + std::to_string(lines),
            quorvanta::testing::syntheticCatalogue(media, lines)};
}

enum class Range { StartView, FullRange };

struct RedrawCase {
    const Catalogue* catalogue;
    bool allSelected;
    std::int32_t scale;
    Range range;
    ShownMediumLookup lookup;
};

void prepare(const RedrawCase& c) {
    program.database = c.catalogue->db;
    std::fill(program.database.mediumSelected.begin() + 1, program.database.mediumSelected.end(),
              c.allSelected ? 1 : 0);
    program.view = SpectrumView::startValues();
    program.view.scale = c.scale;
    if (c.range == Range::FullRange) {
        program.view.viewWidth = program.view.maxWidth;
        program.view.viewCentre = program.view.lowerBound + program.view.maxWidth / 2;
    }
    program.passCount = 5;
}

void redrawBenchmark(benchmark::State& state, RedrawCase c) {
    prepare(c);
    const double centre = program.view.viewCentre;
    const double width = program.view.viewWidth;
    for (auto _ : state)
        drawSpectrumWith(centre, width, c.lookup);
    state.counters["lines"] = static_cast<double>(program.database.transitionCount);
}

void loadBenchmark(benchmark::State& state, std::string path) {
    for (auto _ : state) {
        TransitionDatabase db;
        db.minWavelength = kLongestWavelength;
        db.maxWavelength = kShortestWavelength;
        loadTransitionDatabaseFile(path, db);
        benchmark::DoNotOptimize(db.transitionCount);
    }
}

// What Control+E and Control+C cost: finding the lines in view and writing their CSV text.
void linesExportBenchmark(benchmark::State& state, RedrawCase c) {
    prepare(c);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string csv = writeCatalogueCsv(linesInView(program.database, program.view));
        bytes = csv.size();
        benchmark::DoNotOptimize(csv.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}

// What Control+S costs before the file is written: the picture's 1000 x 600 pixels as PNG.
void pictureExportBenchmark(benchmark::State& state, RedrawCase c) {
    prepare(c);
    DrawSpectrum(program.view.viewCentre, program.view.viewWidth);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::vector<std::uint8_t> png = XgrEncodeGridPng(program.mainWindow, 0, 0, 1000, 600);
        bytes = png.size();
        benchmark::DoNotOptimize(png.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}

std::string caseName(const char* prefix, const RedrawCase& c) {
    return std::string(prefix) + "/" + c.catalogue->name + "/" + (c.allSelected ? "all" : "none") +
           "/" + (c.scale == Linear ? "linear" : "log") + "/" +
           (c.range == Range::StartView ? "start" : "full");
}

// Hands every report on to the display reporter that the library's standard flags chose
// (--benchmark_format, --benchmark_color, --benchmark_counters_tabular), and keeps the time per
// iteration of every benchmark, in milliseconds, for the summary lines: the median when
// repetitions are asked for, else the fastest run.
class CollectingReporter : public benchmark::BenchmarkReporter {
  public:
    explicit CollectingReporter(benchmark::BenchmarkReporter& display) : display_(display) {}

    bool ReportContext(const Context& context) override { return display_.ReportContext(context); }
    void Finalize() override { display_.Finalize(); }

    void ReportRuns(const std::vector<Run>& runs) override {
        display_.ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const double ms =
                run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e3;
            // The function name leaves out suffixes such as "/iterations:1".
            const std::string& name = run.run_name.function_name;
            if (run.run_type == Run::RT_Aggregate) {
                if (run.aggregate_name == "median") medians_[name] = ms;
                continue;
            }
            auto [it, added] = fastest_.try_emplace(name, ms);
            if (!added) it->second = std::min(it->second, ms);
        }
    }

    // The time of the named benchmark, or a negative value when it did not run.
    double milliseconds(const std::string& name) const {
        if (const auto it = medians_.find(name); it != medians_.end()) return it->second;
        if (const auto it = fastest_.find(name); it != fastest_.end()) return it->second;
        return -1.0;
    }

  private:
    benchmark::BenchmarkReporter& display_;
    std::map<std::string, double> medians_;
    std::map<std::string, double> fastest_;
};

// Takes "--db FILE" or "--db=FILE" out of the arguments.
std::string takeDatabaseOption(int& argc, char** argv) {
    std::string path;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--db" && i + 1 < argc) {
            path = argv[++i];
        } else if (argument.rfind("--db=", 0) == 0) {
            path = argument.substr(5);
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    argv[argc] = nullptr;
    return path;
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const std::string databasePath = takeDatabaseOption(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    createMainGrid();
    // Renders the glyph cache, once per process, before anything is timed.
    program.view = SpectrumView::startValues();
    DrawSpectrum(program.view.viewCentre, program.view.viewWidth);

    // Catalogues live until the end of main; the benchmarks point at them.
    std::vector<std::unique_ptr<Catalogue>> catalogues;
    for (auto [media, lines] : {std::pair{100, 1000}, {1000, 10000}, {65535, 65535}})
        catalogues.push_back(std::make_unique<Catalogue>(makeCatalogue(media, lines)));
    const Catalogue& largest = *catalogues.back();

    for (const auto& catalogue : catalogues)
        for (bool all : {true, false})
            for (std::int32_t scale : {Logarithmic, Linear})
                for (Range range : {Range::StartView, Range::FullRange}) {
                    const RedrawCase c{catalogue.get(), all, scale, range, shownMediumResolved};
                    benchmark::RegisterBenchmark(caseName("redraw", c).c_str(), redrawBenchmark, c)
                        ->Unit(benchmark::kMillisecond);
                }

    // The full scan compares every line with every medium: seconds per redraw on the largest
    // catalogue, so it runs once, whatever repetitions are asked for.
    const RedrawCase naive{&largest, true, Logarithmic, Range::FullRange, shownMediumByFullScan};
    const RedrawCase resolved{&largest, true, Logarithmic, Range::FullRange, shownMediumResolved};
    benchmark::RegisterBenchmark(caseName("naive", naive).c_str(), redrawBenchmark, naive)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->Repetitions(1);

    for (Range range : {Range::StartView, Range::FullRange}) {
        const RedrawCase c{&largest, true, Logarithmic, range, shownMediumResolved};
        benchmark::RegisterBenchmark(caseName("export/csv", c).c_str(), linesExportBenchmark, c)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(caseName("export/png", c).c_str(), pictureExportBenchmark, c)
            ->Unit(benchmark::kMillisecond);
    }

    const std::filesystem::path largestFile =
        std::filesystem::temp_directory_path() /
        ("quorvanta-bench-" + std::to_string(getpid()) + ".dat");
    {
        const std::vector<std::uint8_t> image = serializeTransitionDatabase(largest.db);
        std::ofstream out(largestFile, std::ios::binary);
        out.write(reinterpret_cast<const char*>(image.data()),
                  static_cast<std::streamsize>(image.size()));
    }
    benchmark::RegisterBenchmark(("load/" + largest.name).c_str(), loadBenchmark,
                                 largestFile.string())
        ->Unit(benchmark::kMillisecond);

    std::unique_ptr<Catalogue> fromFile;
    std::vector<RedrawCase> fileCases;
    if (!databasePath.empty()) {
        fromFile = std::make_unique<Catalogue>();
        fromFile->name = "file";
        fromFile->db.minWavelength = kLongestWavelength;
        fromFile->db.maxWavelength = kShortestWavelength;
        const LoadReport report = loadTransitionDatabaseFile(databasePath, fromFile->db);
        if (!report.message.empty()) std::fprintf(stderr, "%s\n", report.message.c_str());
        for (std::int32_t scale : {Logarithmic, Linear})
            for (Range range : {Range::StartView, Range::FullRange}) {
                fileCases.push_back({fromFile.get(), true, scale, range, shownMediumResolved});
                benchmark::RegisterBenchmark(caseName("redraw", fileCases.back()).c_str(),
                                             redrawBenchmark, fileCases.back())
                    ->Unit(benchmark::kMillisecond);
            }
    }

    // The first redraw of a catalogue also formats every label, which later redraws reuse.
    prepare({&largest, true, Logarithmic, Range::FullRange, shownMediumResolved});
    const auto start = std::chrono::steady_clock::now();
    DrawSpectrum(program.view.viewCentre, program.view.viewWidth);
    const double firstRedrawMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();

    benchmark::BenchmarkReporter* display = benchmark::CreateDefaultDisplayReporter();
    CollectingReporter reporter(*display);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::filesystem::remove(largestFile);

    // The summary lines follow the console table; after JSON or CSV they go to standard error,
    // so that standard output stays one document a script can read.
    FILE* const summary = dynamic_cast<benchmark::ConsoleReporter*>(display) ? stdout : stderr;

    for (const RedrawCase& c : fileCases) {
        const double ms = reporter.milliseconds(caseName("redraw", c));
        if (ms < 0) continue;
        std::fprintf(
            summary,
            "%s (%d media, %d transitions, all selected), %s scale, %s: %.3f ms per redraw\n",
            databasePath.c_str(), c.catalogue->db.mediumCount, c.catalogue->db.transitionCount,
            c.scale == Linear ? "linear" : "logarithmic",
            c.range == Range::StartView ? "start view 350..800 nm" : "full range 10..20000 nm", ms);
    }
    const double naiveMs = reporter.milliseconds(caseName("naive", naive));
    const double resolvedMs = reporter.milliseconds(caseName("redraw", resolved));
    if (naiveMs > 0 && resolvedMs > 0) {
        std::fprintf(summary,
                     "full scan / resolved relation, %s, all selected, logarithmic full range: "
                     "%.1f ms / %.3f ms = %.0f times\n",
                     largest.name.c_str(), naiveMs, resolvedMs, naiveMs / resolvedMs);
    }
    std::fprintf(summary,
                 "first redraw of %s (labels formatted afresh), all selected, logarithmic full "
                 "range: %.3f ms\n",
                 largest.name.c_str(), firstRedrawMs);
    XgrResetToolkit();
    return 0;
}
