#include "edi/id_runs.h"

#include <gtest/gtest.h>

#include <QtGlobal>

#include <utility>
#include <vector>

namespace {

struct Line
{
    qint64 id;
    qint64 number;
};

using Runs = std::vector<std::pair<size_t, size_t>>;

Runs RunsOf(const std::vector<Line>& lines, bool withNumber)
{
    Runs runs;
    const auto collect = [&](size_t begin, size_t end) {
        runs.emplace_back(begin, end);
        return true;
    };
    const bool done = withNumber ? edi::ForEachIdRun(lines, collect, &Line::id, &Line::number)
                                 : edi::ForEachIdRun(lines, collect, &Line::id);
    EXPECT_TRUE(done);
    return runs;
}

TEST(IdRuns, SplitWhereAnIdOrItsNumberDoesNotFollow)
{
    const struct
    {
        const char* name;
        std::vector<Line> lines;
        Runs byId;
        Runs byIdAndNumber;
    } cases[] = {
        {"empty", {}, {}, {}},
        {"one line", {{7, 1}}, {{0, 1}}, {{0, 1}}},
        {"one run", {{7, 1}, {8, 2}, {9, 3}}, {{0, 3}}, {{0, 3}}},
        {"gap of one id", {{7, 1}, {8, 2}, {10, 3}, {11, 4}}, {{0, 2}, {2, 4}}, {{0, 2}, {2, 4}}},
        {"single ids between gaps",
         {{1, 1}, {3, 2}, {5, 3}},
         {{0, 1}, {1, 2}, {2, 3}},
         {{0, 1}, {1, 2}, {2, 3}}},
        {"same id twice", {{4, 1}, {4, 2}, {5, 3}}, {{0, 1}, {1, 3}}, {{0, 1}, {1, 3}}},
        {"ids going down", {{5, 1}, {4, 2}}, {{0, 1}, {1, 2}}, {{0, 1}, {1, 2}}},
        {"a number skipped", {{7, 1}, {8, 2}, {9, 4}, {10, 5}}, {{0, 4}}, {{0, 2}, {2, 4}}},
        {"last line alone", {{7, 1}, {8, 2}, {9, 3}, {20, 4}}, {{0, 3}, {3, 4}}, {{0, 3}, {3, 4}}},
        {"first line alone", {{1, 1}, {8, 2}, {9, 3}}, {{0, 1}, {1, 3}}, {{0, 1}, {1, 3}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RunsOf(c.lines, false), c.byId) << c.name;
        EXPECT_EQ(RunsOf(c.lines, true), c.byIdAndNumber) << c.name;
    }
}

TEST(IdRuns, StopAtTheFirstRunRefused)
{
    const std::vector<Line> lines = {{1, 1}, {2, 2}, {5, 3}, {9, 4}};
    int visited = 0;
    const bool done = edi::ForEachIdRun(
        lines,
        [&](size_t begin, size_t) {
            ++visited;
            return begin == 0;
        },
        [](const Line& l) { return l.id; });
    EXPECT_FALSE(done);
    EXPECT_EQ(visited, 2);
}

} // namespace
