#include "widgets/field_validator.h"

#include "shell/codec.h"

namespace widgets {

FieldValidator::FieldValidator(int maxBytes, bool upperCase, QObject* parent,
                               std::function<QString(const QString&)> filter)
    : QValidator(parent), m_maxBytes(maxBytes), m_upper(upperCase), m_filter(std::move(filter))
{
}

QValidator::State FieldValidator::validate(QString& input, int& pos) const
{
    const qsizetype before = input.size();
    if (m_filter)
        input = m_filter(input);
    if (m_upper)
        input = input.toUpper();
    pos = int(qMax<qsizetype>(0, pos - (before - input.size())));
    if (m_maxBytes > 0 && shell::Cp949Length(input) > m_maxBytes)
        return Invalid;
    return Acceptable;
}

void FieldValidator::fixup(QString& input) const
{
    int pos = int(input.size());
    validate(input, pos);
}

} // namespace widgets
