#pragma once

#include <QList>
#include <QPair>
#include <QString>

namespace store {

// The bank's result codes. The table CodeP is seeded with some of them; the
// consent register knows its own set, a few spelled differently, and shows
// its spelling, so both are kept here side by side.
struct ResultCode
{
    enum class Known { Both, StoredOnly, RegisterOnly };

    int code;
    Known known;
    const char* text;                   // as stored in CodeP (or as the register shows it)
    const char* registerText = nullptr; // only where the register spells it differently
};

const QList<ResultCode>& ResultCodes();

// The CodeP rows (id, text) in their insert order, ids of 4 digits.
const QList<QPair<QString, QString>>& ResultCodeSeeds();

// The consent register's text for `code`, or nullptr where it knows none.
const char* RegisterResultText(int code);

} // namespace store
