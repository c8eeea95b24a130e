#include "bench/grid/StepSeries.h"

#include <algorithm>
#include <cstddef>

#include <QPaintEvent>

namespace qelvor::bench {

bool PaintCounter::eventFilter(QObject*, QEvent* event)
{
    if (event->type() == QEvent::Paint) {
        ++paints;
        for (const QRect& rect : static_cast<QPaintEvent*>(event)->region())
            pixels += static_cast<long long>(rect.width()) * rect.height();
    }
    return false;
}

namespace {

double MedianUs(std::vector<double> times)
{
    if (times.empty())
        return 0;
    const auto middle = times.begin() + static_cast<std::ptrdiff_t>(times.size() / 2);
    std::nth_element(times.begin(), middle, times.end());
    return *middle * 1e6;
}

}  // namespace

std::vector<StepTiming> RunInterleaved(const std::vector<StepSeries>& series, int chunk)
{
    const std::size_t count = series.size();
    std::vector<std::vector<double>> times(count);
    std::vector<int> paints(count, 0);
    std::vector<long long> pixels(count, 0);
    const int steps = series.empty() ? 0 : series.front().steps;
    chunk = std::max(chunk, 1);
    for (int first = 0, round = 0; first < steps; first += chunk, ++round) {
        const int last = std::min(first + chunk, steps);
        for (std::size_t k = 0; k < count; ++k) {
            const std::size_t s = (k + static_cast<std::size_t>(round)) % count;
            const StepSeries& one = series[s];
            one.prepare(first);
            const int paintsBefore = one.counter->paints;
            const long long pixelsBefore = one.counter->pixels;
            for (int index = first; index < last; ++index) {
                const auto start = Clock::now();
                one.step(index);
                times[s].push_back(Seconds(start));
            }
            paints[s] += one.counter->paints - paintsBefore;
            pixels[s] += one.counter->pixels - pixelsBefore;
        }
    }
    std::vector<StepTiming> results;
    for (std::size_t s = 0; s < count; ++s) {
        const double taken = std::max<std::size_t>(times[s].size(), 1);
        results.push_back({MedianUs(times[s]), paints[s] / taken, static_cast<double>(pixels[s]) / taken});
    }
    return results;
}

}  // namespace qelvor::bench
