#include "fuzz/fuzz_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdlib>

namespace fuzzing {

Workspace& Workspace::Get()
{
    static int argc = 1;
    static char name[] = "pelmar-fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    (void)app;
    static Workspace* w = [] {
        auto* ws = new Workspace;
        ws->SetUp();
        if (::testing::Test::HasFatalFailure() || !ws->dm) {
            fprintf(stderr, "pelmar-fuzz: the workspace could not be prepared\n");
            std::abort();
        }
        // Thousands of inputs a second: the tables need not survive a crash.
        ws->exec("PRAGMA synchronous = OFF");
        ws->exec("PRAGMA journal_mode = MEMORY");
        // The temporary folders go when the run ends normally.
        std::atexit([] {
            w->TearDown();
            delete w;
        });
        return ws;
    }();
    return *w;
}

QString Workspace::put(const QString& relative, const QByteArray& bytes)
{
    const QString p = QDir(home()).filePath(relative); // absolute paths too
    QDir().mkpath(QFileInfo(p).absolutePath());
    QFile f(p);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        f.write(bytes) != bytes.size()) {
        fprintf(stderr, "pelmar-fuzz: cannot write %s\n", qPrintable(p));
        std::abort();
    }
    return p;
}

} // namespace fuzzing
