#include "reports/spreadsheet_reader.h"

#include "shell/workspace.h"

#include <QProcess>

namespace reports {
namespace {

// Long enough for the largest sheet that is read at all; a reader still
// busy after it is stuck on its file.
constexpr int kReadTimeoutMs = 120000;

QString unreadable()
{
    return QStringLiteral("파일을 읽을 수 없습니다.");
}

} // namespace

QString SheetReaderProgram(const QString& shippedDir)
{
    return shippedDir + "pelmar-sheet";
}

platform::Result<SheetRows> ReadFirstSheet(const QString& path, const QString& shippedDir)
{
    QProcess reader;
    reader.setProgram(SheetReaderProgram(shippedDir));
    reader.setArguments({path});
    reader.setStandardInputFile(QProcess::nullDevice());
    reader.setProcessChannelMode(QProcess::SeparateChannels);
    reader.start();
    const bool finished = reader.waitForStarted() && reader.waitForFinished(kReadTimeoutMs);
    if (!finished && reader.state() != QProcess::NotRunning) {
        reader.kill();
        reader.waitForFinished();
    }
    if (!finished || reader.exitStatus() != QProcess::NormalExit || reader.exitCode() != 0)
        return platform::Fail(unreadable());
    std::optional<platform::Result<SheetRows>> answer =
        ReadSheetAnswer(reader.readAllStandardOutput());
    if (!answer)
        return platform::Fail(unreadable());
    return std::move(*answer);
}

SheetRows PreviewRows(const SheetRows& sheet, int columns)
{
    qsizetype first = -1;
    for (qsizetype r = 0; r < sheet.size(); ++r) {
        if (!sheet[r].isEmpty() && sheet[r][0].trimmed() == QStringLiteral("이름")) {
            first = r;
            break;
        }
    }
    // Without a title row the data still goes below the heading row, so
    // that the first record is not taken for the titles.
    SheetRows rows;
    if (first < 0)
        rows.append(QStringList());
    for (qsizetype r = std::max<qsizetype>(first, 0); r < sheet.size(); ++r) {
        if (sheet[r].isEmpty() || sheet[r][0].isEmpty())
            continue;
        rows.append(sheet[r].mid(0, std::max(columns, 0)));
    }
    return rows;
}

platform::Result<SheetRows> ImportRows(const SheetRows& sheet, int columns, const QString& path)
{
    SheetRows rows = PreviewRows(sheet, columns);
    if (rows.size() > 1)
        return rows;
    const QString where = rows.first().isEmpty()
                              ? QStringLiteral("첫 칸이 \"이름\"인 제목 행도, 첫 칸이 채워진 행도 "
                                               "없습니다.")
                              : QStringLiteral("첫 칸이 \"이름\"인 제목 행 아래에 첫 칸이 채워진 "
                                               "행이 없습니다.");
    return platform::Fail(QStringLiteral("읽을 자료 행을 찾지 못했습니다: ") + path + "\n" + where);
}

} // namespace reports
