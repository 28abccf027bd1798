#pragma once

#include "codes/institution.h"
#include "widgets/code_screen.h"

#include <QSqlDatabase>

class QComboBox;
class QLineEdit;

namespace codes {

// "이용자설정": the institutions screen, for editing or (view-only) for
// looking only.
class TfmCode1 : public widgets::CodeScreen
{
    Q_OBJECT
public:
    TfmCode1(QSqlDatabase db, shell::Ui& ui, const QString& title, bool viewOnly,
             QWidget* parent = nullptr);
    ~TfmCode1() override;

    QTableWidget* list() const { return grid(); }
    QLineEdit* field(InstitutionField f) const;
    QComboBox* evidenceKind() const { return m_authSendType; }

    void BtnInsertClick() override;
    void BtnEditClick() override;
    void BtnDeleteClick() override;
    void BtnSaveClick() override;

private:
    void reload(qint64 selectRec = 0);
    void showRow(int row) override;
    void setEditing(bool on) override;
    Institution fromFields() const;
    const Institution* current() const;

    Institutions m_store;
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
};

} // namespace codes
