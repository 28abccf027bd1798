#pragma once

#include <QString>

#include <functional>

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

// Re-reads the rules, from `path` or the file shipped beside the running
// executable (data/account_rules.ini), which is read on first use.
void ReloadAccountRules(const QString& path = {});

// Without a usable rules file every number counts as valid so that work
// can go on; the program says so once per start through `report` (a
// message box in Pelmar, stderr in pelmar-tool), the first time the rules
// are read after it was set.
void SetAccountRulesReport(std::function<void(const QString&)> report);
// Reads the rules now unless they were read; for a program that wants the
// failure shown at its start rather than at the first account number.
void LoadAccountRules();
// "계좌번호 검사 규칙 파일을 읽을 수 없습니다. ..." with the reason.
QString AccountRulesMessage(const QString& reason);

} // namespace store
