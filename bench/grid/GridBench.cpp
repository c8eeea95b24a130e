// The browse form's grid at 1280 x 800 over 1,000 and over 1,000,000 answer sheets
// (the query dataset over generated SQLite files), in interleaved rounds:
//   - a full repaint of the client area (< 5 ms);
//   - single-record steps through the vertical scroll bar, with their repaints;
//   - a Down key on the bottom data row, PgDn / PgUp, and a wheel notch down / up, sent
//     as Qt events, each with the repaint it causes;
//   - the floor of a one-row step: the data area scrolled by one row pitch and one row
//     band of seven texts drawn, in a plain widget of the viewport's size;
//   - a plain title click and a Ctrl+click re-sorting 1,000,000 records by two columns
//     at Ctrl's release, against the dataset's own SetSort of the same sort string.
// Steps are held to their cost at 1,000 records (within 1.2 x for scroll-bar steps,
// 1.1 x for keys and the wheel), the Down key to 2.5 x the floor, the title sort to
// 1.1 x the dataset's sort. Scroll-bar steps are timed as a mean per round; key, wheel
// and floor steps one by one, both sizes (and the floor) alternating in short chunks,
// as a median; each result is the best of the rounds. Exits non-zero when a target is
// missed.
//   qelvor-grid-bench [--small N] [--rows N | --db FILE] [--rounds N]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "bench/common/CommandLine.h"
#include "bench/common/WindowBenchApplication.h"
#include "bench/grid/GridSetup.h"
#include "bench/grid/RowBandFloor.h"
#include "bench/grid/StepSeries.h"

namespace {

using namespace qelvor;
using namespace qelvor::bench;

// Steps per chunk of an interleaved run: short enough that both sizes see the same
// load, long enough that switching between them costs little.
constexpr int kChunk = 10;

// The best of the rounds (the least disturbed by other load on the machine).
struct Best {
    StepTiming timing{1e18, 0, 0};
    void Take(const StepTiming& candidate)
    {
        if (candidate.us < timing.us)
            timing = candidate;
    }
    double Us() const { return timing.us; }
};

struct SizeResults {
    double repaintMs = 1e18;
    Best scrollBar;
    Best downKey;
    Best pageKey;
    Best wheel;
};

struct Results {
    SizeResults small;
    SizeResults large;
    Best floor;
    TitleSortTiming titleSort;
    double dataSetSortMs = 1e18;
};

void MeasureRound(int round, GridSetup& small, GridSetup& large, RowBandFloor& floor, const StepCounts& counts,
                  Results& results)
{
    // Either size goes first in every other round.
    const bool smallFirst = round % 2 == 0;
    for (int i = 0; i < 2; ++i) {
        const bool isSmall = (i == 0) == smallFirst;
        GridSetup& setup = isSmall ? small : large;
        SizeResults& sizeResults = isSmall ? results.small : results.large;
        sizeResults.repaintMs = std::min(sizeResults.repaintMs, setup.RepaintMs());
    }
    for (int i = 0; i < 2; ++i) {
        const bool isSmall = (i == 0) == smallFirst;
        (isSmall ? results.small : results.large).scrollBar.Take((isSmall ? small : large).ScrollBarStep());
    }
    std::vector<StepTiming> down = RunInterleaved(
        {small.DownKeySeries(counts), large.DownKeySeries(counts), floor.Series(counts.lines)}, kChunk);
    results.small.downKey.Take(down[0]);
    results.large.downKey.Take(down[1]);
    results.floor.Take(down[2]);
    // A page step takes several times a line step: shorter chunks keep the sizes as close.
    std::vector<StepTiming> pages = RunInterleaved({small.PageKeySeries(counts), large.PageKeySeries(counts)}, 2);
    results.small.pageKey.Take(pages[0]);
    results.large.pageKey.Take(pages[1]);
    std::vector<StepTiming> wheel = RunInterleaved({small.WheelSeries(counts), large.WheelSeries(counts)}, kChunk);
    results.small.wheel.Take(wheel[0]);
    results.large.wheel.Take(wheel[1]);
    // A sort is one long measurement: two of each, title first and last in turn (ABBA).
    for (int i = 0; i < 4; ++i) {
        if ((i == 0 || i == 3) == smallFirst) {
            const TitleSortTiming title = large.TitleSortMs();
            if (title.totalMs < results.titleSort.totalMs)
                results.titleSort = title;
        } else {
            results.dataSetSortMs = std::min(results.dataSetSortMs, large.DataSetSortMs());
        }
    }
}

void PrintStepRow(const char* what, long rows, const Best& best)
{
    std::printf("  %-22s %-10ld %10.1f us   %6.2f paints   %10.0f pixels\n", what, rows, best.Us(),
                best.timing.paintsPerStep, best.timing.pixelsPerStep);
}

// Prints "<what>: <value> (target <= X)" and says whether the target is met.
bool Report(const std::string& what, double value, double target)
{
    std::printf("%s: %.3f (target <= %.1f)\n", what.c_str(), value, target);
    return value <= target;
}

bool ReportRepaint(long rows, double ms)
{
    std::printf("full repaint at %ld rows: %.3f ms (target < 5 ms)\n", rows, ms);
    return ms < 5.0;
}

bool PrintResults(const Results& r, long small, long large)
{
    std::printf("  %-22s %-10s %13s   %13s   %17s\n", "step (with repaint)", "rows", "time", "per step",
                "repainted");
    for (const auto& [rows, m] : {std::pair{small, &r.small}, std::pair{large, &r.large}}) {
        PrintStepRow("scroll-bar line", rows, m->scrollBar);
        PrintStepRow("Down key", rows, m->downKey);
        PrintStepRow("PgDn / PgUp", rows, m->pageKey);
        PrintStepRow("wheel notch", rows, m->wheel);
    }
    PrintStepRow("row-band floor", 0, r.floor);
    std::printf("title-click sort %.1f ms (its handler's SetSort %.1f ms), dataset SetSort(\"%s\") %.1f ms"
                " at %ld rows\n",
                r.titleSort.totalMs, r.titleSort.handlerSortMs, GridSetup::ExpectedSortText().c_str(),
                r.dataSetSortMs, large);

    const std::string sizes = std::to_string(large) + " / " + std::to_string(small) + " rows";
    bool met = true;
    met &= Report("step cost ratio " + sizes, r.large.scrollBar.Us() / r.small.scrollBar.Us(), 1.2);
    met &= ReportRepaint(small, r.small.repaintMs);
    met &= ReportRepaint(large, r.large.repaintMs);
    met &= Report("Down-key step ratio " + sizes, r.large.downKey.Us() / r.small.downKey.Us(), 1.1);
    met &= Report("PgDn/PgUp step ratio " + sizes, r.large.pageKey.Us() / r.small.pageKey.Us(), 1.1);
    met &= Report("wheel notch ratio " + sizes, r.large.wheel.Us() / r.small.wheel.Us(), 1.1);
    for (const auto& [rows, m] : {std::pair{small, &r.small}, std::pair{large, &r.large}})
        met &= Report("Down-key step / row-band floor at " + std::to_string(rows) + " rows",
                      m->downKey.Us() / r.floor.Us(), 2.5);
    met &= Report("title-click sort / dataset sort at " + std::to_string(large) + " rows",
                  r.titleSort.totalMs / r.dataSetSortMs, 1.1);
    // Every step is one repaint at least; a step that painted nothing measured nothing.
    for (const Best* best : {&r.small.downKey, &r.small.pageKey, &r.small.wheel, &r.large.downKey, &r.large.pageKey,
                             &r.large.wheel, &r.floor}) {
        if (best->timing.paintsPerStep < 1.0) {
            std::printf("a measured step painted nothing (%.2f paints per step)\n", best->timing.paintsPerStep);
            met = false;
        }
    }
    return met;
}


int Run(int argc, char** argv, long small, long large, const std::string& database, int rounds)
{
    int status = 0;
    {
        const WindowBenchApplication application(argc, argv);
        GridSetup smallGrid(small);
        GridSetup largeGrid(large, database);
        large = largeGrid.Rows();
        // Line steps and pages must stay inside the smaller set, on both sizes alike;
        // line steps come in whole chunks, so that the wheel turns round between two.
        const int visible = smallGrid.Grid().VisibleDataRows();
        StepCounts counts;
        counts.lines = static_cast<int>(std::clamp<long>(small - 2L * visible, kChunk, counts.lines)) / kChunk * kChunk;
        counts.pages = static_cast<int>(std::clamp<long>(small / std::max(visible, 1) - 2, 1, counts.pages));
        RowBandFloor floor(largeGrid);
        largeGrid.WarmSortKeys();

        Results results;
        for (int round = 0; round < rounds; ++round)
            MeasureRound(round, smallGrid, largeGrid, floor, counts, results);
        std::printf("best of %d rounds; %d line steps, %d x %d pages each way, %d visible data rows;\n"
                    "scroll-bar steps: mean, other steps: median\n",
                    rounds, counts.lines, counts.pageWalks, counts.pages, visible);
        if (!PrintResults(results, small, large))
            status = 1;
    }
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    std::int64_t small = 1000;
    std::int64_t large = 1000000;
    // Fewer rounds make a profiler run bearable; seven are the benchmark.
    std::int64_t rounds = 7;
    std::string database;
    qelvor::bench::CommandLine commandLine("qelvor-grid-bench",
                                           "Steps, repaints and title-click sorts of the grid over a small and a large "
                                           "set of answer sheets; prints ratios.");
    commandLine.AddCount("--small", &small, "answer sheets of the small set (default 1000)");
    commandLine.AddCount("--rows", &large, "answer sheets of the large set (default 1000000)");
    commandLine.AddText("--db", &database, "an existing SQLite file for the large set instead (kept)");
    commandLine.AddCount("--rounds", &rounds, "interleaved rounds, best kept (default 7)");
    if (const int status = commandLine.Parse(argc, argv); status >= 0)
        return status;
    return qelvor::bench::RunReportingFailures("qelvor-grid-bench", [&] {
        return Run(argc, argv, static_cast<long>(small), static_cast<long>(large), database, static_cast<int>(rounds));
    });
}
