#pragma once

#include "shell/import_helpers.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>
#include <utility>

namespace shell {
class Ui;
}
namespace store {
class TDM1;
}

namespace transfer {

// The eight items of an import layout in grid order: 동, 호, 입주자명,
// 은행코드, 계좌번호, 이체금액, 실명번호, 예금주명.
enum LayoutItem { Dong, Ho, Name, BankCode, BankNo, IcheMoney, RealName, Holder, ItemCount };
QString LayoutItemName(int item);

// One stored import layout (row of APTCONV). `Len` < 1 means one record per
// text line.
struct ImportLayout
{
    QString Name;
    int Len = 0;
    int start[ItemCount] = {};
    int size[ItemCount] = {};

    // The layout as heading/start/length rows, every item in grid order.
    QList<shell::LayoutRow> rows() const;
};

// The stored layouts in name order, one by name, and their upkeep; Save
// shows "자료명칭이 중복됩니다." for a name already used by another layout.
QList<ImportLayout> ReadLayouts(const store::TDM1& dm);
std::optional<ImportLayout> FindLayout(const store::TDM1& dm, const QString& name);
bool SaveLayout(store::TDM1& dm, shell::Ui& ui, const ImportLayout& layout,
                const QString& oldName = {});
bool DeleteLayout(store::TDM1& dm, const QString& name);

// The records of a file's bytes: for `len` < 1 its text lines (CR LF, LF
// and CR alone all end one), without their line end. For `len` >= 1, a file
// without line ends is cut into blocks of exactly `len` bytes (a short last
// block is a record too); a file with line ends has one record a line, the
// line end being part of the record's length. A line longer than a record
// would put two records or a wrong layout in one: the file fails with the
// line it found, as its records cannot be counted.
platform::Result<QList<QByteArray>> SplitRecords(const QByteArray& bytes, int len);

// The preview of a file by a layout: the columns of the items whose start
// and size are set, and every row whose 실명번호 the bank would refuse today
// as an error. Fails with the reason when the file cannot be read.
platform::Result<shell::ImportPreview> PreviewLines(const ImportLayout& layout,
                                                    const QString& fileName);

enum class ImportTarget { Batch, Group };

// What an import did: the records rejected (whole record text and reason)
// and the number of lines stored.
struct ImportOutcome
{
    bool read = false; // the file could be read and the lines committed
    int imported = 0;
    QStringList items;
    QStringList errors;
    QString errorFile; // Temp/Error.txt when records were rejected
};

// Imports the records of a fixed-column file as lines of one batch (Apt2)
// or one group (GroupAp2). Every accepted line goes in in one transaction;
// a failure to commit stores nothing.
class LineImport
{
public:
    LineImport(store::TDM1& dm, shell::Ui& ui, ImportTarget target, int aptId,
               const QDate& icheDate, qint64 limit);

    // Checks one record; on success fills `values` in the order Dong,
    // DongInt, Ho, HoInt, Bigo, BankCode, BankNo, IcheMoney, NapbuNo, Kita
    // and returns an empty reason.
    QString CheckRecord(const ImportLayout& layout, const QByteArray& record,
                        QVariantList& values) const;

    // Reads the file (CP949, or UTF-8 converted to it) and imports it; the
    // progress goes to the wait window, which is closed however it ends.
    ImportOutcome Run(const ImportLayout& layout, const QString& fileName);

    // The whole import as the lines screen runs it: the activity-log lines
    // (batches only; `caption` begins them), Run, the rejected records
    // through ReportErrorList and the closing count message.
    // Without `interactive` the error file is written without the question
    // and no closing message is shown (pelmar-tool prints the counts).
    ImportOutcome Import(const ImportLayout& layout, const QString& fileName,
                         const QString& caption, bool interactive = true);

private:
    store::TDM1& m_dm;
    shell::Ui& m_ui;
    ImportTarget m_target;
    int m_aptId;
    QDate m_icheDate;
    qint64 m_limit;
};

} // namespace transfer
