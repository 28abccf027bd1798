#pragma once

#include "platform/result.h"
#include "shell/save_outcome.h"

#include <QList>
#include <QPair>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace shell {
class Ui;
}

namespace codes {

// One bank (row of BankCode) with its consent switches.
struct BankCodeEntry
{
    QString Id;
    QString Name;
    bool MONEYLAW = false;
    bool JUMINCHECK = false;
    QString SENDVERSION;

    QString cMONEYLAW() const { return MONEYLAW ? QStringLiteral("적용") : QString(); }
    QString cJUMINCHECK() const { return JUMINCHECK ? QStringLiteral("검사") : QString(); }
    // "전금법전(0)" / "전금법후(1)"; empty for any other value.
    QString SendVersionText() const;
    // 0 or 1; -1 when the stored value is neither (empty counts as 0).
    int SendVersionIndex() const;
};

enum class BankField { None, Id, Name, JuminCheck, SendVersion };

using BankSave = shell::SaveOutcome<BankField>;

inline constexpr int kMaxBankCodes = 99;

// The operations of the bank-code screen. `title` is the screen's title,
// which starts every log line.
class BankCodes
{
public:
    BankCodes(QSqlDatabase db, shell::Ui& ui, QString title);

    // In code order; none after showing why the table did not read.
    std::optional<QList<BankCodeEntry>> List() const;
    int Count() const;

    // False (with the message) when no more codes may be added.
    bool MayInsert();
    bool ConfirmEdit();
    // `originalId` is the stored code of an edited row, empty for a new one.
    BankSave Save(BankCodeEntry& row, const QString& originalId);
    // `selected` are the codes of the selected grid rows (may be empty).
    bool Delete(const BankCodeEntry& current, const QStringList& selected);

    // What the name field keeps of typed text: no single-byte character
    // but Latin letters and digits.
    static QString FilterName(const QString& text);

private:
    void log(const QString& action, const BankCodeEntry& row);

    QSqlDatabase m_db;
    shell::Ui& m_ui;
    QString m_title;
};

// The read-only code tables: 16 = result codes (CodeP), 21 = transfer
// outcomes (CodeS). Rows (code, text) in code order.
platform::Result<QList<QPair<QString, QString>>> CodeTableRows(QSqlDatabase db, int selector);

} // namespace codes
