// What the hover readout costs on the largest catalogue (65,535 media, 65,535 lines, all selected,
// logarithmic full range, where nearly every line is drawn): the redraw with and without recording
// the lines it draws, the recording alone, and the lookup under the pointer, alone and with the
// readout's rows made. Lookups walk all 1000 columns in turn; "busiest" is the column with the
// most lines in reach.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <vector>

#include "common/synthetic_catalogue.h"
#include "core/program.h"
#include "spectrum/drawn_lines.h"
#include "spectrum/renderer.h"
#include "windows/windows.h"

namespace {

using namespace quorvanta;

constexpr std::int32_t kColumns = 1000;
constexpr std::size_t kRows = 8;

const TransitionDatabase& largestAllSelected() {
    static const TransitionDatabase db = [] {
        TransitionDatabase all = testing::syntheticCatalogue(65535, 65535);
        std::fill(all.mediumSelected.begin() + 1, all.mediumSelected.end(), 1);
        return all;
    }();
    return db;
}

SpectrumView fullLogarithmicView() {
    SpectrumView view = SpectrumView::startValues();
    view.scale = Logarithmic;
    view.viewWidth = view.maxWidth;
    view.viewCentre = view.lowerBound + view.maxWidth / 2;
    return view;
}

// What the redraw hands the record: every line it draws, in drawing order.
struct Drawn {
    double x;
    std::int32_t column, transition, medium;
};
const std::vector<Drawn>& drawnLines() {
    static const std::vector<Drawn> lines = [] {
        const TransitionDatabase& db = largestAllSelected();
        const AxisMapping mapping = fullLogarithmicView().mapping();
        std::vector<Drawn> drawn;
        for (std::int32_t k = 1; k <= db.transitionCount; ++k) {
            const double x = mapping.xOf(db.transitions[std::size_t(k)].wavelength());
            if (!std::isfinite(x) || !(x < 985.0)) continue;
            drawn.push_back({x, static_cast<std::int32_t>(std::lround(x)), k, db.shownMedium(k)});
        }
        return drawn;
    }();
    return lines;
}

const DrawnLines& record() {
    static const DrawnLines lines = [] {
        DrawnLines made;
        made.start(fullLogarithmicView().mapping());
        for (const Drawn& line : drawnLines())
            made.add(line.x, line.column, line.transition, line.medium);
        made.finish();
        return made;
    }();
    return lines;
}

std::int32_t busiestColumn() {
    std::int32_t busiest = 0;
    std::size_t most = 0;
    for (std::int32_t column = 0; column < kColumns; ++column) {
        const std::size_t count = record().near(column, 0).count;
        if (count > most) most = count, busiest = column;
    }
    return busiest;
}

// The whole redraw of the program's main window, recording its lines or not.
void readoutRedraw(benchmark::State& state, bool recorded) {
    program.database = largestAllSelected();
    program.view = fullLogarithmicView();
    program.passCount = 5;
    SpectrumScene scene = programScene();
    if (!recorded) scene.drawnLines = nullptr;
    const double centre = program.view.viewCentre, width = program.view.viewWidth;
    drawSpectrum(scene, centre, width);  // labels formatted once, as after the first redraw
    for (auto _ : state)
        drawSpectrum(scene, centre, width);
    if (recorded) state.counters["recorded lines"] = static_cast<double>(program.drawnLines.size());
}
BENCHMARK_CAPTURE(readoutRedraw, recorded, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(readoutRedraw, unrecorded, false)->Unit(benchmark::kMillisecond);

// The two redraws in turns, 60 pairs: the median of the ratios of each pair's times, which the
// machine's drift over seconds cannot bias. "extra %" is what recording adds.
void readoutRedrawPaired(benchmark::State& state) {
    program.database = largestAllSelected();
    program.view = fullLogarithmicView();
    program.passCount = 5;
    SpectrumScene recorded = programScene();
    SpectrumScene unrecorded = programScene();
    unrecorded.drawnLines = nullptr;
    const double centre = program.view.viewCentre, width = program.view.viewWidth;
    drawSpectrum(recorded, centre, width);
    auto timed = [&](const SpectrumScene& scene) {
        const auto start = std::chrono::steady_clock::now();
        drawSpectrum(scene, centre, width);
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    std::vector<double> ratios;
    for (auto _ : state) {
        for (int pair = 0; pair < 60; ++pair) {
            // Which goes first alternates, so that neither always follows the other.
            const double a = pair % 2 ? timed(unrecorded) : timed(recorded);
            const double b = pair % 2 ? timed(recorded) : timed(unrecorded);
            ratios.push_back(pair % 2 ? b / a : a / b);
        }
    }
    std::nth_element(ratios.begin(), ratios.begin() + std::ptrdiff_t(ratios.size() / 2),
                     ratios.end());
    state.counters["extra %"] = (ratios[ratios.size() / 2] - 1) * 100;
}
BENCHMARK(readoutRedrawPaired)->Unit(benchmark::kMillisecond)->Iterations(1);

// The recording alone: every drawn line added, then all ordered by column.
void readoutRecord(benchmark::State& state) {
    const std::vector<Drawn>& lines = drawnLines();
    const AxisMapping mapping = fullLogarithmicView().mapping();
    DrawnLines made;
    for (auto _ : state) {
        made.start(mapping);
        for (const Drawn& line : lines)
            made.add(line.x, line.column, line.transition, line.medium);
        made.finish();
        benchmark::DoNotOptimize(made.size());
    }
    state.counters["lines"] = static_cast<double>(lines.size());
}
BENCHMARK(readoutRecord)->Unit(benchmark::kMicrosecond);

void readoutLookup(benchmark::State& state) {
    const DrawnLines& lines = record();
    std::int32_t column = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(lines.near(column, kRows));
        column = (column + 1) % kColumns;
    }
}
BENCHMARK(readoutLookup)->Unit(benchmark::kMicrosecond);

void readoutLookupBusiest(benchmark::State& state) {
    const DrawnLines& lines = record();
    const std::int32_t column = busiestColumn();
    for (auto _ : state)
        benchmark::DoNotOptimize(lines.near(column, kRows));
    state.counters["lines in reach"] = static_cast<double>(lines.near(column, 0).count);
}
BENCHMARK(readoutLookupBusiest)->Unit(benchmark::kMicrosecond);

// The lookup and the rows the readout shows: texts of the wavelength, media, phases and notes.
void readoutRows(benchmark::State& state) {
    const DrawnLines& lines = record();
    std::int32_t column = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(quorvanta::readoutRows(lines, largestAllSelected(), column));
        column = (column + 1) % kColumns;
    }
}
BENCHMARK(readoutRows)->Unit(benchmark::kMicrosecond);

}  // namespace
