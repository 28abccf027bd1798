#pragma once

#include <QByteArray>
#include <QString>

// Stand-in for the account-number library: per bank, the accepted digit
// counts and the hyphen pattern of the display form, read from a rules file
// (data/account_rules.ini). The two calls keep the library's C shape.
namespace platform {

struct NumguardLoad
{
    bool ok = false;
    QString error; // why the rules could not be used
};

// Loads the rules; when they cannot be read every number is accepted and
// returned unchanged. Safe to call again (reloads).
NumguardLoad NumguardLoadRules(const QString& path);

// True when the number is valid for that bank.
bool NumguardIsValid(const char* bankCode, const char* accountNo);
// Writes the display form into `out` (256 bytes, NUL-terminated); leaves
// it untouched when the number is not valid for the bank.
void Hyphenate(const char* bankCode, const char* accountNo, char* out);

} // namespace platform
