// pelmar-chart OUT.png: draws the collection chart from the figures on its
// standard input (reports::ChartData) into OUT.png. Run by pelmar-tool,
// which does not load the widget library that Qt Charts needs; never by the
// user. Exits 1 with the reason on stderr when it cannot.

#include "reports/chart/collection_chart.h"

#include <QApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fputs("usage: pelmar-chart OUT.png < figures\n", stderr);
        return 2;
    }
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly))
        return 1;
    const auto report = reports::ReadChartData(input.readAll());
    if (!report) {
        std::fputs("차트 자료를 읽을 수 없습니다.\n", stderr);
        return 1;
    }
    if (const platform::Result<> written = reports::WriteChartPng(*report, args[1]); !written) {
        std::fputs(qPrintable(written.error() + "\n"), stderr);
        return 1;
    }
    return 0;
}
