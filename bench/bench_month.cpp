// A month of a large branch, end to end through the real executables:
// `pelmar-tool make-demo --size large` (40 complexes, 120 batches, about
// 300,000 lines and 30,000 consents, the first send answered), then the
// morning's `pelmar-tool --yes send`, the stand-in centre's answer and
// `pelmar-tool receive`. Each step is one process, timed with its own peak
// memory (wait4), and must stay under 5 s and 300 MB.
//
// usage: bench_month [--keep DIR]   (exit 1 when a limit is exceeded)

#include "bench/bench_result.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr double kSecondsLimit = 5.0;
constexpr long kMemoryLimitMb = 300;

struct Step
{
    double seconds = 0;
    long peakMb = 0;
};

// Runs the program to its end; its output goes to the log, not the table.
Step run(const QString& program, const QStringList& args)
{
    std::vector<std::string> words{program.toStdString()};
    for (const QString& a : args)
        words.push_back(a.toStdString());
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);

    QElapsedTimer t;
    t.start();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(STDERR_FILENO, STDOUT_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "bench_month: %s %s failed (status %d)\n", qPrintable(program),
                     qPrintable(args.join(' ')), status);
        std::exit(2);
    }
    return {t.elapsed() / 1000.0, usage.ru_maxrss / 1024}; // ru_maxrss is in KiB
}

bool report(const char* what, const Step& step, double limit)
{
    PrintResult(what, step.seconds, limit);
    std::printf("%-36s %6.3f s  peak %4ld MB (limit %ld MB)\n", what, step.seconds, step.peakMb,
                kMemoryLimitMb);
    std::fflush(stdout);
    return (limit == 0 || step.seconds <= limit) && step.peakMb < kMemoryLimitMb;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir temp;
    const QStringList args = app.arguments();
    const QString home = args.size() == 3 && args[1] == "--keep" ? args[2] : temp.path() + "/home";
    QDir(home).removeRecursively();
    qputenv("PELMAR_REGISTRY_DIR", (home + "/registry").toLocal8Bit());
    qputenv("PELMAR_NOW", "2024-03-15 10:30:00");
    const QStringList tool{"--quiet", "--home", home};

    // Making the branch is the set-up, reported without a limit; its memory still counts.
    bool ok = report("make-demo --size large",
                     run(PELMAR_TOOL, tool + QStringList{"make-demo", "--size", "large"}), 0);
    ok &= report("month: send, large branch", run(PELMAR_TOOL, tool + QStringList{"--yes", "send"}),
                 kSecondsLimit);
    ok &= report("month: clearing-sim, large branch", run(CLEARING_SIM, {"--home", home}),
                 kSecondsLimit);
    ok &= report("month: receive, large branch", run(PELMAR_TOOL, tool + QStringList{"receive"}),
                 kSecondsLimit);
    return ok ? 0 : 1;
}
