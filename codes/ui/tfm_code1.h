#pragma once

#include "codes/institution.h"

#include <QDialog>
#include <QSqlDatabase>

class QComboBox;
class QLineEdit;
class QTableWidget;

namespace shell {
class Ui;
}
namespace widgets {
class ScreenCommands;
}

namespace codes {

// "이용자설정": the institutions screen, for editing or (view-only) for
// looking only.
class TfmCode1 : public QDialog
{
    Q_OBJECT
public:
    TfmCode1(QSqlDatabase db, shell::Ui& ui, const QString& title, bool viewOnly,
             QWidget* parent = nullptr);
    ~TfmCode1() override;

    widgets::ScreenCommands* commands() const { return m_commands; }
    QTableWidget* list() const { return m_list; }
    QLineEdit* field(InstitutionField f) const;
    QComboBox* evidenceKind() const { return m_authSendType; }

    void BtnInsertClick();
    void BtnEditClick();
    void BtnDeleteClick();
    void BtnSaveClick();
    void BtnCancelClick();

protected:
    void reject() override;

private:
    void reload(qint64 selectRec = 0);
    void showRow(int row);
    void setEditing(bool on);
    Institution fromFields() const;
    const Institution* current() const;

    Institutions m_store;
    shell::Ui& m_ui;
    widgets::ScreenCommands* m_commands;
    QTableWidget* m_list;
    QLineEdit* m_name;
    QLineEdit* m_apOut;
    QLineEdit* m_apIn;
    QLineEdit* m_apPass;
    QLineEdit* m_apId10;
    QLineEdit* m_apBCode;
    QLineEdit* m_bankNoApt;
    QLineEdit* m_tregOut;
    QLineEdit* m_tregIn;
    QComboBox* m_authSendType;
    QList<Institution> m_rows;
    bool m_isNew = false;
};

} // namespace codes
