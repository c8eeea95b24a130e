// Timing of input steps: a series of steps on one widget, each with the repaint it
// causes, and the interleaved run of several series. The run alternates short chunks
// of the series, rotating which goes first, so that load from elsewhere on the machine
// (which on two cores changes from second to second) reaches every series alike and
// their ratios stay steady; each series' result is the median of its single steps.
#pragma once

#include <chrono>
#include <functional>
#include <vector>

#include <QObject>

namespace qelvor::bench {

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Counts the paints a widget receives and the pixels they cover.
class PaintCounter : public QObject {
public:
    int paints = 0;
    long long pixels = 0;
    void Reset()
    {
        paints = 0;
        pixels = 0;
    }
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// A time per step and the paints it took, from one measurement.
struct StepTiming {
    double us = 0;
    double paintsPerStep = 0;
    double pixelsPerStep = 0;
};

// The steps of one measurement. `prepare` runs untimed before each chunk with the index
// of the chunk's first step (0: set up from scratch); `step` is one timed step and
// must include its repaint.
struct StepSeries {
    int steps = 0;
    std::function<void(int first)> prepare;
    std::function<void(int index)> step;
    const PaintCounter* counter = nullptr;
};

// Runs the series (of equal length) in chunks of `chunk` steps, interleaved.
std::vector<StepTiming> RunInterleaved(const std::vector<StepSeries>& series, int chunk);

}  // namespace qelvor::bench
