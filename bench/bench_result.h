#pragma once

// One measured operation, in the form bench/run collects into its table:
// name, seconds, target seconds (0: none), and the baseline measured in the
// same run (its name and seconds; "-" and 0 when the operation has none).

#include <cstdio>

inline void PrintResult(const char* name, double seconds, double target,
                        const char* baseline = "-", double baselineSeconds = 0)
{
    std::printf("RESULT\t%s\t%.4f\t%.4f\t%s\t%.4f\n", name, seconds, target, baseline,
                baselineSeconds);
    std::fflush(stdout);
}
