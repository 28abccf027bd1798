#pragma once

#include "codes/follow_up_rules.h"
#include "widgets/code_screen.h"

#include <QSqlDatabase>

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace codes {

// "불능 처리 규칙": what a failed withdrawal asks for, by its result code
// (재청구 with its cap, 동의 확인, 없음). Every result code is listed; 입 력
// adds a code the table of result codes lacks, 수 정 changes a code's
// action, 삭 제 sets the selected codes back to 없음.
class FmFollowUpRules : public widgets::CodeScreen
{
    Q_OBJECT
public:
    FmFollowUpRules(QSqlDatabase db, shell::Ui& ui, const QString& title, bool viewOnly,
                    QWidget* parent = nullptr);
    ~FmFollowUpRules() override;

    QLineEdit* codeEdit() const { return m_code; }
    QComboBox* actionBox() const { return m_action; }
    QSpinBox* capBox() const { return m_cap; }
    const QList<FollowUpRule>& rules() const { return m_rows; }

    void BtnInsertClick() override;
    void BtnEditClick() override;
    void BtnDeleteClick() override;
    void BtnSaveClick() override;

private:
    void reload(const QString& selectCode = {});
    void showRow(int row) override;
    void setEditing(bool on) override;
    void followAction();

    FollowUpRules m_store;
    shell::Ui& m_ui;
    QLineEdit* m_code;
    QLineEdit* m_text;
    QComboBox* m_action;
    QSpinBox* m_cap;
    QList<FollowUpRule> m_rows;
};

} // namespace codes
