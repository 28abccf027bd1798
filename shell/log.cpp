#include "shell/log.h"

#include "shell/app_info.h"
#include "shell/clock.h"
#include "shell/codec.h"
#include "shell/ui.h"
#include "shell/workspace.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include <filesystem>
#include <system_error>

namespace shell {
namespace {

// The one process-wide sink: every layer logs, none is handed the workspace
// for that alone.
Workspace g_logWorkspace;
bool g_logNamed = false;

} // namespace

void SetLogWorkspace(const Workspace& ws)
{
    g_logWorkspace = ws;
    g_logNamed = true;
}

QString LogFilePath()
{
    if (!g_logNamed)
        return {};
    return g_logWorkspace.programDir + Now().toString("yyyyMM") + ".log";
}

void WriteLog(const QString& text, bool isError)
{
    if (!g_logNamed)
        return;
    const QDateTime now = Now();
    QFile file(g_logWorkspace.programDir + now.toString("yyyyMM") + ".log");
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    const QString marker = isError ? QStringLiteral(" 에러 ") : QStringLiteral("      ");
    file.write(ToCp949(now.toString("dd HH:mm:ss") + marker + text) + "\r\n");
}

QString ErrorListPath()
{
    return g_logWorkspace.tempDir() + "Error.txt";
}

QString WriteErrorList(Ui& ui, const QStringList& items, const QStringList& errors)
{
    QDir().mkpath(g_logWorkspace.tempDir());
    const QString path = ErrorListPath();
    QByteArray out;
    const qsizetype n = qMin(items.size(), errors.size());
    for (qsizetype i = 0; i < n; ++i)
        out += ToCp949(items[i] + "   오류 : " + errors[i]) + "\r\n";
    // Written under a temporary name and renamed over the old list: a link
    // left at that name is replaced, never written through.
    QTemporaryFile file(path + ".XXXXXX");
    if (!file.open() || file.write(out) != out.size() || !file.flush()) {
        ui.ShowError(path + "\r" + file.errorString());
        return {};
    }
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                        QFileDevice::ReadOther);
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(file.fileName()).toStdString(),
                            QFile::encodeName(path).toStdString(), error);
    if (error) {
        ui.ShowError(path + "\r" + QString::fromStdString(error.message()));
        return {};
    }
    file.setAutoRemove(false);
    return path;
}

bool ReportErrorList(Ui& ui, const QStringList& items, const QStringList& errors)
{
    const QString path = WriteErrorList(ui, items, errors);
    if (path.isEmpty())
        return false;
    const qsizetype n = qMin(items.size(), errors.size());
    const QString question =
        QString("총 %1 건의 자료에서 오류가 발견되었습니다.\r오류 내역은 파일 \"%2\" 에 "
                "저장되었습니다.\r\r오류 내역 파일을 열람하시겠습니까?")
            .arg(n)
            .arg(QDir::toNativeSeparators(path));
    if (ui.Confirm(question, false))
        ui.OpenDocument(path);
    return true;
}

} // namespace shell
