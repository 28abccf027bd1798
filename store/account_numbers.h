#pragma once

#include <QString>

// Account numbers are checked and shown through the account-number library;
// every screen goes through these wrappers.
namespace store {

bool IsValidAccount(const QString& bankCode, const QString& accountNo);
// The bank's display form; empty when the library leaves it untouched.
QString HyphenateAccount(const QString& bankCode, const QString& accountNo);
// What to store where a hyphenated number is kept: the display form, or the
// number as entered (without blanks) when the library gives none.
QString HyphenateOrKeep(const QString& bankCode, const QString& accountNo);
QString StripHyphens(const QString& text);
// 22 and 24 become "20"; anything else is returned unchanged.
QString NormalizeBankCode(const QString& code);

// Re-reads the rules, from `path` or the shipped file.
void ReloadAccountRules(const QString& path = {});

} // namespace store
