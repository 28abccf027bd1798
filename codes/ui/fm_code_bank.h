#pragma once

#include "codes/bank_code.h"
#include "widgets/code_screen.h"

#include <QDialog>
#include <QSqlDatabase>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QTableWidget;

namespace codes {

// The bank-code screen. The consent switches are shown, never edited.
class fmCode_Bank : public widgets::CodeScreen
{
    Q_OBJECT
public:
    fmCode_Bank(QSqlDatabase db, shell::Ui& ui, const QString& title, bool viewOnly,
                QWidget* parent = nullptr);
    ~fmCode_Bank() override;

    QLineEdit* codeEdit() const { return m_code; }
    QLineEdit* nameEdit() const { return m_name; }
    QComboBox* sendVersion() const { return m_sendVersion; }
    QGroupBox* lawGroup() const { return m_lawGroup; }
    QCheckBox* juminCheck() const { return m_juminCheck; }
    // True when an editable opening changed something: the caller refreshes
    // the shared tables and its code lists.
    bool changed() const { return m_changed; }

    void BtnInsertClick() override;
    void BtnEditClick() override;
    void BtnDeleteClick() override;
    void BtnSaveClick() override;

private:
    void reload(const QString& selectId = {});
    void showRow(int row) override;
    void setEditing(bool on) override;
    const BankCodeEntry* current() const;

    BankCodes m_store;
    QLineEdit* m_code;
    QLineEdit* m_name;
    QComboBox* m_sendVersion;
    QGroupBox* m_lawGroup;
    QCheckBox* m_moneyLaw;
    QCheckBox* m_juminCheck;
    QList<BankCodeEntry> m_rows;
    QString m_editingId; // stored code of the row being edited; empty for a new row
    bool m_changed = false;
};

// The read-only lists of result codes (16) and transfer outcomes (21).
class fmCode2 : public QDialog
{
    Q_OBJECT
public:
    fmCode2(QSqlDatabase db, shell::Ui& ui, int selector, const QString& title,
            QWidget* parent = nullptr);
    ~fmCode2() override;

    widgets::ScreenCommands* commands() const { return m_commands; }
    QTableWidget* grid() const { return m_grid; }

private:
    widgets::ScreenCommands* m_commands;
    QTableWidget* m_grid;
    QLineEdit* m_code;
    QLineEdit* m_name;
};

} // namespace codes
