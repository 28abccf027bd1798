#pragma once

#include <QValidator>
#include <functional>

namespace widgets {

// Entry rules of a text field: a limit in CP949 bytes (the table's field
// size), upper case, and an optional filter that drops characters as they
// are typed.
class FieldValidator : public QValidator
{
public:
    FieldValidator(int maxBytes, bool upperCase, QObject* parent,
                   std::function<QString(const QString&)> filter = {});

    State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;

private:
    int m_maxBytes;
    bool m_upper;
    std::function<QString(const QString&)> m_filter;
};

} // namespace widgets
