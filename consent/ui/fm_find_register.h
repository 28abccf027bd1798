#pragma once

#include "consent/consent_import.h"
#include "consent/consent_register.h"
#include "transfer/ui/transfer_dialogs.h"

class QLineEdit;

namespace consent {

// "검색" of the consent screen: the first consent, from the top or after
// the current one, whose name, real-name number, account and payer number
// equal every field typed; it becomes the screen's current row.
class FmFindRegister : public transfer::FindDialog
{
    Q_OBJECT
public:
    FmFindRegister(shell::Ui& ui, const QList<ConsentRecord>& rows, std::function<int()> current,
                   std::function<void(int)> moveTo, QWidget* parent = nullptr);

    QLineEdit* field(int i) const { return m_fields[i]; } // 이름, 실명번호, 계좌번호, 납부자번호

protected:
    int findFrom(int from) const override;

private:
    const QList<ConsentRecord>& m_rows;
    QLineEdit* m_fields[4];
};

} // namespace consent
