// Timings of the selection buttons on the largest catalogue (65,535 media, 65,535 lines): All and
// None of the medium window, Clear of the main window and Solid of the phase window, each from
// its click's message to the repainted windows, with the medium window shown. The program starts
// in-process in a temporary folder, on Qt's offscreen platform given one 1280 x 1024 screen.
//
//   quorvanta_selection_bench [Google Benchmark options]

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/synthetic_catalogue.h"
#include "core/program.h"
#include "core/startup.h"
#include "toolkit/gui_names.h"
#include "toolkit/toolkit.h"
#include "windows/windows.h"

namespace {

using namespace quorvanta;

constexpr std::int32_t kLargest = 65535;
constexpr std::int32_t kMediaAll = 2, kMediaNone = 3, kPhaseSolid = 4;

void settle() {
    XgrFlushEvents();
    while (XgrQueuedMessageCount() > 0) {
        XgrProcessMessages(1);
        XgrFlushEvents();
    }
}

// A click on a kid, as the toolkit reports it.
void click(std::int32_t window, std::int32_t kid) {
    XgrQueueMessage(XuiGetKid(window, kid), msg.Selection, 0, 0, 0, 1, 0, 0);
    settle();
}

bool startLargest() {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("quorvanta-selection-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::vector<std::uint8_t> image =
        serializeTransitionDatabase(quorvanta::testing::syntheticCatalogue(kLargest, kLargest));
    std::ofstream(folder / "wavelength.dat", std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()),
               static_cast<std::streamsize>(image.size()));
    const std::filesystem::path screen = folder / "screen.json";
    std::ofstream(screen) << R"({"screens": [{"name": "bench", "x": 0, "y": 0, )"
                          << R"("width": 1280, "height": 1024}]})";
    const std::string platform = "offscreen:configfile=" + screen.string();
    setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
    std::filesystem::current_path(folder);
    if (!startUp()) return false;
    program.quitOperation = [] {};
    while (program.passCount < 5 && XgrQueuedMessageCount() > 0)
        messageLoopPass();
    settle();
    click(program.mainWindow, MediaKid);
    click(program.mainWindow, PhaseKid);
    std::filesystem::remove_all(folder);
    return true;
}

// Times one click of window's kid; before each, the medium window's untimed reset click.
void timeClick(benchmark::State& state, std::int32_t window, std::int32_t kid,
               std::int32_t resetKid) {
    for (auto _ : state) {
        state.PauseTiming();
        click(program.mediaWindow, resetKid);
        state.ResumeTiming();
        click(window, kid);
    }
}

void BM_MediaAll(benchmark::State& state) {
    timeClick(state, program.mediaWindow, kMediaAll, kMediaNone);
}
BENCHMARK(BM_MediaAll)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MediaNone(benchmark::State& state) {
    timeClick(state, program.mediaWindow, kMediaNone, kMediaAll);
}
BENCHMARK(BM_MediaNone)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Clear(benchmark::State& state) {
    timeClick(state, program.mainWindow, ClearKid, kMediaAll);
}
BENCHMARK(BM_Clear)->Unit(benchmark::kMillisecond)->UseRealTime();

// Solid pressed twice: a third of the media selected, then released again.
void BM_PhaseSolid(benchmark::State& state) {
    for (auto _ : state)
        click(program.phaseWindow, kPhaseSolid);
}
BENCHMARK(BM_PhaseSolid)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (!startLargest()) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
