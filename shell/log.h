#pragma once

#include <QString>
#include <QStringList>

namespace shell {

class Ui;
struct Workspace;

// Each program names its workspace to the log once, right after loading
// it; until then nothing is written. The log keeps its own copy.
void SetLogWorkspace(const Workspace& ws);

// Appends "DD hh:nn:ss" + marker + text to ProgramDir/YYYYMM.log (CP949,
// CRLF). Failures are ignored.
void WriteLog(const QString& text, bool isError = false);
QString LogFilePath(); // this month's file

// Temp/Error.txt of the log's workspace, where the error lists go.
QString ErrorListPath();
// Writes item + "   오류 : " + error lines to ErrorListPath() and offers to
// open it. Returns false when the file could not be written.
bool ReportErrorList(Ui& ui, const QStringList& items, const QStringList& errors);
// The writing half of ReportErrorList without the question: the file's
// path, or empty after the error was shown.
QString WriteErrorList(Ui& ui, const QStringList& items, const QStringList& errors);

} // namespace shell
