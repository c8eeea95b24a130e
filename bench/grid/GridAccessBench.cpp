// The data grid's accessible table over 1,000 and 1,000,000 answer sheets: the row and
// column counts, a data cell's text and state, a title and a focus move, each asked
// as an accessibility client would through Qt's interfaces, at rows spread over the
// whole result. Prints the median and the worst time per question for both sizes and
// their ratio; every answer must come within 5 ms, whatever the size (exits non-zero
// otherwise).
//   qelvor-grid-access-bench [SMALL_ROWS LARGE_ROWS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <typeinfo>

#include <QAccessible>

#include "bench/common/WindowBenchApplication.h"
#include "bench/grid/GridSetup.h"
#include "grid/GridAccessibility.h"

namespace {

using namespace qelvor;
using namespace qelvor::bench;

constexpr double kLimitMs = 5.0;
constexpr int kSamples = 200;

struct Timing {
    double medianMs = 0;
    double worstMs = 0;
};

// Times `ask(i)` for i in 0 .. kSamples - 1.
Timing Measure(const std::function<void(int)>& ask)
{
    std::vector<double> ms;
    for (int i = 0; i < kSamples; ++i) {
        const auto start = std::chrono::steady_clock::now();
        ask(i);
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

struct Question {
    const char* name;
    std::function<void(QAccessibleInterface& table, long rows, int i)> ask;
};

// A row spread over the whole result by a fixed stride.
int RowOf(long rows, int i)
{
    return static_cast<int>((static_cast<long long>(i) * 7919 * 131) % rows);
}

volatile long long sink = 0;
long long emptyCells = 0;  // cells that read empty: a text question that read nothing proves nothing

const std::vector<Question>& Questions()
{
    static const std::vector<Question> questions = {
        {"row and column counts", [](QAccessibleInterface& t, long, int) {
             sink = sink + t.tableInterface()->rowCount() + t.tableInterface()->columnCount() + t.childCount();
         }},
        {"ticket cell anywhere", [](QAccessibleInterface& t, long rows, int i) {
             QAccessibleInterface* cell = t.tableInterface()->cellAt(RowOf(rows, i), 0);
             const qsizetype length = cell ? cell->text(QAccessible::Name).size() : 0;
             emptyCells += length == 0 ? 1 : 0;
             sink = sink + length;
         }},
        {"cell state and header", [](QAccessibleInterface& t, long rows, int i) {
             QAccessibleInterface* cell = t.tableInterface()->cellAt(RowOf(rows, i + 1), i % 7);
             sink = sink + (cell ? cell->state().focused + cell->tableCellInterface()->columnHeaderCells().size() : -1);
         }},
        {"child by index", [](QAccessibleInterface& t, long rows, int i) {
             QAccessibleInterface* cell = t.child(7 + RowOf(rows, i + 2) * 7 + i % 7);
             sink = sink + (cell ? t.indexOfChild(cell) : -1);
         }},
        {"focused cell", [](QAccessibleInterface& t, long, int) {
             QAccessibleInterface* focus = t.focusChild();
             sink = sink + (focus ? focus->text(QAccessible::Name).size() : -1);
         }},
    };
    return questions;
}

// Asks every question of both tables; true when all answered in time.
bool RunQuestions(long smallRows, long largeRows)
{
    GridSetup small(smallRows);
    GridSetup large(largeRows);
    QAccessibleInterface* tables[2] = {QAccessible::queryAccessibleInterface(&small.Grid()),
                                       QAccessible::queryAccessibleInterface(&large.Grid())};
    if (!tables[0] || !tables[1] || !tables[1]->tableInterface()) {
        std::printf("the grids have no accessible table (%p %s)\n", static_cast<void*>(tables[1]), tables[1] ? typeid(*tables[1]).name() : "");
        return false;
    }
    const int reported = tables[1]->tableInterface()->rowCount();
    std::printf("rows: %ld / %ld; table rows reported: %d\n", smallRows, largeRows, reported);
    bool ok = reported == largeRows;
    std::printf("%-24s %12s %12s %14s %10s %8s\n", "question", "small med", "large med", "large worst", "limit",
                "ratio");
    for (const Question& q : Questions()) {
        const Timing s = Measure([&](int i) { q.ask(*tables[0], smallRows, i); });
        const Timing l = Measure([&](int i) { q.ask(*tables[1], largeRows, i); });
        const bool met = l.worstMs < kLimitMs && s.worstMs < kLimitMs;
        ok = ok && met;
        std::printf("%-24s %9.4f ms %9.4f ms %11.4f ms %7.1f ms %7.2fx %s\n", q.name, s.medianMs, l.medianMs,
                    l.worstMs, kLimitMs, s.medianMs > 0 ? l.medianMs / s.medianMs : 0.0, met ? "" : "MISSED");
    }
    std::printf("cells read empty: %lld (every sheet has its ticket number)\n", emptyCells);
    return ok && emptyCells == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const long smallRows = argc > 2 ? std::atol(argv[1]) : 1000;
    const long largeRows = argc > 2 ? std::atol(argv[2]) : 1000000;
    bool ok = false;
    {
        const WindowBenchApplication application(argc, argv);
        QAccessible::installUpdateHandler([](QAccessibleEvent*) {});
        QAccessible::setActive(true);
        ok = RunQuestions(smallRows, largeRows);
        QAccessible::setActive(false);
        QAccessible::installUpdateHandler(nullptr);
    }
    return ok ? 0 : 1;
}
