#pragma once

#include "platform/result.h"

#include <QSqlDatabase>
#include <QString>
#include <QList>
#include <QMap>
#include <QVariant>

namespace shell {
struct Workspace;
}

namespace audit {

// The actions a row names.
namespace action {
inline const QString Insert = QStringLiteral("입력");
inline const QString Update = QStringLiteral("수정");
inline const QString Delete = QStringLiteral("삭제");
inline const QString StateChange = QStringLiteral("상태변경");
inline const QString Import = QStringLiteral("가져오기");
inline const QString Send = QStringLiteral("송신");
inline const QString Receive = QStringLiteral("수신");
inline const QString Backup = QStringLiteral("백업");
inline const QString Restore = QStringLiteral("복원");
inline const QString Reorganise = QStringLiteral("재정리");
inline const QString Export = QStringLiteral("내보내기");
inline const QString Print = QStringLiteral("인쇄");
inline const QString TextOutput = QStringLiteral("텍스트출력");
inline const QString ChainStart = QStringLiteral("기록 시작");
inline const QString ChainBreak = QStringLiteral("기록 단절");
} // namespace action

// The value a secret (a password, a key, a resident number) is recorded
// with: that it changed, never what it is.
inline const QString kSecretChanged = QStringLiteral("(변경됨)");

// True for the download record (export, print, text output).
bool IsDownload(const QString& action);

// One row the program writes itself: bulk work recorded once per run with
// its counts, a setting kept outside the tables, a download.
struct Change
{
    QString action;
    QString table;       // what it touched: a table, "Firm.ini", a file kind
    QString key;         // the row or file
    QString institution; // the institution code, when there is one
    QString field;
    QVariant oldValue;
    QVariant newValue;
};

// Appends `change` on `db` (the program's connection with the record
// attached), inside the caller's transaction when one is open. Does
// nothing in a process that never started the record or while it is
// switched off for a benchmark; fails with the user's message when the row
// cannot be written.
platform::Result<> Record(QSqlDatabase db, const Change& change);

// The download record: `records` records of `what` (이체자료, 출금동의 …)
// written to `file` by an export, print or text output. Written on the
// connection the record was last attached to (the program's data, open
// while its screens and commands run): the writers of files have no data
// connection of their own. Nothing is recorded in a process that never
// started the record (the core's tests) or switched it off.
platform::Result<> RecordDownload(const QString& action, const QString& what, const QString& file,
                                  qint64 records);

// Changes kept outside the tables (the link settings, the program password
// in Firm.ini), recorded on the program's data connection when one is
// open, else on one of their own to the workspace's data, in one
// transaction. Nothing is recorded before the workspace has data, or in a
// process that never started the record.
platform::Result<> RecordInWorkspace(const shell::Workspace& ws, const QList<Change>& changes);

// The institution code of a batch (`Apt1`) or group (`GroupAp1`), for the
// rows a run over its lines writes; empty when there is none, a failure
// with the user's message when it cannot be read.
platform::Result<QString> InstitutionOf(QSqlDatabase db, const QString& headTable, int aptId);

// While one lives, the per-row triggers record nothing: bulk work the
// program does itself (a send, a receive, an import …) writes one row of
// its own instead of one per line.
// A counting one also tallies the outcomes its work sets (a line's
// IcheYebu, a consent's Status), for the run's row.
class Quiet
{
public:
    enum class Tally { No, Outcomes };
    explicit Quiet(Tally tally = Tally::No);
    ~Quiet();
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;

    // "table:value" → how many rows were set to it while this one lived.
    QMap<QString, int> tallied() const;

private:
    bool m_tally;
};

} // namespace audit
