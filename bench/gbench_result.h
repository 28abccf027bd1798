#pragma once

// The console table of Google Benchmark plus a RESULT line (bench_result.h)
// for each benchmark that has a target.

#include "bench/bench_result.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

struct BenchTarget
{
    const char* benchmark; // the function name, without its arguments
    const char* name;      // as bench/run shows it
    double target;         // seconds
};

class ResultReporter : public benchmark::ConsoleReporter
{
public:
    // Without colours, so that the RESULT lines start their lines in a log.
    explicit ResultReporter(std::vector<BenchTarget> targets)
        : ConsoleReporter(OO_Tabular), m_targets(std::move(targets))
    {
    }

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration)
                continue;
            const std::string name = run.benchmark_name();
            for (const BenchTarget& t : m_targets) {
                const std::string prefix = t.benchmark;
                if (name == prefix || name.rfind(prefix + "/", 0) == 0)
                    PrintResult(t.name,
                                run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit),
                                t.target);
            }
        }
    }

private:
    std::vector<BenchTarget> m_targets;
};

// Runs the registered benchmarks through the reporter.
inline int RunWithTargets(int& argc, char** argv, std::vector<BenchTarget> targets)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    ResultReporter reporter(std::move(targets));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
