#include "consent/ui/fm_find_register.h"

#include <QFormLayout>
#include <QLineEdit>

namespace consent {

FmFindRegister::FmFindRegister(shell::Ui& ui, const QList<ConsentRecord>& rows,
                               std::function<int()> current, std::function<void(int)> moveTo,
                               QWidget* parent)
    : FindDialog(ui, std::move(current), std::move(moveTo), parent), m_rows(rows)
{
    setObjectName("fmFindRegister");
    auto* form = new QFormLayout;
    const char* const labels[4] = {"이름", "실명번호", "계좌번호", "납부자번호"};
    for (int i = 0; i < 4; ++i) {
        m_fields[i] = new QLineEdit(this);
        form->addRow(QString::fromUtf8(labels[i]), m_fields[i]);
    }
    finishLayout(form);
}

int FmFindRegister::findFrom(int from) const
{
    return FindConsent(m_rows, from,
                       {m_fields[0]->text().trimmed(), m_fields[1]->text().trimmed(),
                        m_fields[2]->text().trimmed(), m_fields[3]->text().trimmed()});
}

} // namespace consent
