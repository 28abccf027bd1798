#include "reports/line_report.h"

#include "audit/record.h"
#include "shell/codec.h"
#include "shell/ui.h"
#include "shell/workspace.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlQuery>

namespace reports {
namespace {

struct TextField
{
    const char* caption;
    int width;
    bool numeric;
    QString (*value)(const TransferItem&);
};

QString dateText(const QDate& d)
{
    return d.isValid() ? d.toString(QStringLiteral("yyyy-MM-dd")) : QString();
}

const TextField kFields[] = {
    {"동", 4, false, [](const TransferItem& l) { return l.Dong; }},
    {"호", 4, false, [](const TransferItem& l) { return l.Ho; }},
    {"입주자명", 20, false, [](const TransferItem& l) { return l.Bigo; }},
    {"예금주명", 20, false, [](const TransferItem& l) { return l.Kita; }},
    {"은행코드", 8, false, [](const TransferItem& l) { return l.BankCode; }},
    {"은행명", 20, false, [](const TransferItem& l) { return l.BankName; }},
    {"계좌번호", 18, false, [](const TransferItem& l) { return l.MBankNo; }},
    {"이체일자", 10, false, [](const TransferItem& l) { return dateText(l.IcheDate); }},
    {"이체금액", 13, true, [](const TransferItem& l) { return QString::number(l.IcheMoney); }},
    {"이체여부", 8, false, [](const TransferItem& l) { return l.IcheYebu; }},
    {"이체여부", 20, false, [](const TransferItem& l) { return l.YebuName; }},
    {"처리결과", 8, false, [](const TransferItem& l) { return l.ResultID; }},
    {"처리결과", 20, false, [](const TransferItem& l) { return l.ResultName; }},
    {"납부자번호", 24, false, [](const TransferItem& l) { return l.NapbuNo; }},
    {"수신일자", 10, false, [](const TransferItem& l) { return dateText(l.Rdate); }},
    {"송신일자", 10, false, [](const TransferItem& l) { return dateText(l.Sdate); }},
    {"송신시각", 10, false,
     [](const TransferItem& l) {
         return l.Stime.isValid() ? l.Stime.toString(QStringLiteral("HH:mm:ss")) : QString();
     }},
    {"상태", 20, false, [](const TransferItem& l) { return l.Stat; }},
};

// Characters CP949 cannot hold become "?", counted, so that the widths
// stay right and the user can be told.
QString mappable(const QString& text, int* unmappable)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size();
        const QString one = pair ? text.mid(i, 2) : QString(text[i]);
        if (pair)
            ++i;
        if (one.at(0).unicode() < 0x80 || shell::FromCp949(shell::ToCp949(one)) == one) {
            out += one;
        } else {
            out += '?';
            if (unmappable)
                ++*unmappable;
        }
    }
    return out;
}

// Cut to `width` bytes (never through a double-byte character) and filled
// with blanks on the side the field aligns away from.
QByteArray fitted(const QString& text, int width, bool alignRight, int* unmappable)
{
    const QByteArray bytes = shell::LeftBytes(shell::ToCp949(mappable(text, unmappable)), width);
    const QByteArray fill(width - bytes.size(), ' ');
    return alignRight ? fill + bytes : bytes + fill;
}

} // namespace

QString InstitutionLabel(QSqlDatabase db, const QString& giganId10)
{
    QSqlQuery q(db);
    q.prepare("SELECT Name FROM UserCode WHERE APID10 = ?");
    q.addBindValue(giganId10);
    QStringList found;
    if (q.exec())
        while (q.next())
            found.append(q.value(0).toString());
    return found.size() == 1 ? "[" + giganId10 + "] " + found.first() : "[" + giganId10 + "]";
}

QString PrintedNapbuNo(const QString& napbuNo)
{
    if (napbuNo.size() == 13 && !napbuNo.contains('-'))
        return napbuNo.left(6) + "-" + napbuNo.mid(6);
    return napbuNo;
}

QList<TransferItem> FilterLines(const QList<TransferItem>& lines, int dataChoice)
{
    if (dataChoice == 0)
        return lines;
    QList<TransferItem> kept;
    for (const TransferItem& l : lines)
        if ((store::LineOutcomeFrom(l.IcheYebu) == store::LineOutcome::Transferred) ==
            (dataChoice == 1))
            kept.append(l);
    return kept;
}

bool WriteLinesText(shell::Ui& ui, const QString& fileName, const QList<TransferItem>& lines,
                    int* unmappable)
{
    int lost = 0;
    ui.ShowProgress(QStringLiteral("파일에 저장중..."), 0, int(lines.size()), true);
    QByteArray out;
    QList<QByteArray> parts;
    for (const TextField& f : kFields)
        parts.append(fitted(QString::fromUtf8(f.caption).remove(' '), f.width, false, &lost));
    out += parts.join(';') + "\r\n";
    for (const TransferItem& l : lines) {
        parts.clear();
        for (const TextField& f : kFields)
            parts.append(fitted(f.value(l), f.width, f.numeric, &lost));
        out += parts.join(';') + "\r\n";
        ui.StepProgress();
    }
    QSaveFile file(fileName);
    const bool ok =
        file.open(QIODevice::WriteOnly) && file.write(out) == out.size() && file.commit();
    if (ok)
        shell::FollowUserUmask(fileName);
    ui.CloseWait();
    if (unmappable)
        *unmappable = lost;
    return ok;
}

SaveOutcome SaveLinesText(shell::Ui& ui, const QString& fileName, const QList<TransferItem>& lines)
{
    if (QFileInfo::exists(fileName) &&
        !ui.Confirm(QString("파일 \"%1\"가 이미 존재합니다.\r\r덮어 쓰시겠습니까 ?").arg(fileName),
                    false))
        return SaveOutcome::Declined;
    int unmappable = 0;
    if (!WriteLinesText(ui, fileName, lines, &unmappable)) {
        ui.ShowInfo(QStringLiteral("파일 저장에 실패했습니다."));
        return SaveOutcome::Failed;
    }
    // The download record, or no file.
    if (const platform::Result<> recorded = audit::RecordDownload(
            audit::action::TextOutput, QStringLiteral("이체자료"), fileName, lines.size());
        !recorded) {
        QFile::remove(fileName);
        ui.ShowError(recorded.error());
        return SaveOutcome::Failed;
    }
    ui.ShowInfo(QString("파일 \"%1\"에 저장했습니다.").arg(fileName));
    if (unmappable > 0)
        ui.ShowInfo(
            QString("저장할 수 없는 문자 %1개를 \"?\"로 바꾸어 저장했습니다.").arg(unmappable));
    return SaveOutcome::Saved;
}

} // namespace reports
