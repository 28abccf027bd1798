// pelmar-sheet FILE: reads the first sheet of a spreadsheet file and writes
// the answer (rows or the error sentence) to standard output. The programs
// read every spreadsheet the user picks through it, so that a file on which
// a parser fails hard ends this process instead of theirs.

#include "reports/sheet_file.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv); // the file name in the locale's encoding
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        fprintf(stderr, "usage: pelmar-sheet FILE\n");
        return 2;
    }
    const platform::Result<reports::SheetRows> sheet = reports::ReadSheetFile(args[1]);
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly))
        return 1;
    reports::WriteSheetAnswer(out, sheet);
    return out.flush() && out.error() == QFileDevice::NoError ? 0 : 1;
}
