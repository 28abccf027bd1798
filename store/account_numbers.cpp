#include "store/account_numbers.h"

#include "platform/numguard.h"
#include "shell/codec.h"
#include "shell/log.h"
#include "shell/workspace.h"

namespace store {
namespace {

bool g_loaded = false;

void load(const QString& path)
{
    g_loaded = true;
    const platform::NumguardLoad r = platform::NumguardLoadRules(path);
    if (!r.ok)
        shell::WriteLog("계좌번호 검사규칙 오류 " + r.error, true);
}

void ensureRules()
{
    if (!g_loaded)
        load(shell::AccountRulesPath());
}

} // namespace

void ReloadAccountRules(const QString& path)
{
    load(path.isEmpty() ? shell::AccountRulesPath() : path);
}

bool IsValidAccount(const QString& bankCode, const QString& accountNo)
{
    ensureRules();
    return platform::NumguardIsValid(shell::ToCp949(bankCode).constData(),
                                     shell::ToCp949(accountNo).constData());
}

QString HyphenateAccount(const QString& bankCode, const QString& accountNo)
{
    ensureRules();
    char buffer[256];
    buffer[0] = 0;
    platform::Hyphenate(shell::ToCp949(bankCode).constData(), shell::ToCp949(accountNo).constData(),
                        buffer);
    return shell::FromCp949(QByteArray(buffer));
}

QString HyphenateOrKeep(const QString& bankCode, const QString& accountNo)
{
    const QString shown = HyphenateAccount(bankCode, accountNo);
    if (!shown.isEmpty())
        return shown;
    QString kept = accountNo;
    kept.remove(' ');
    return kept;
}

QString StripHyphens(const QString& text)
{
    QString out = text;
    out.remove('-');
    return out;
}

QString NormalizeBankCode(const QString& code)
{
    bool ok = false;
    const int n = code.trimmed().toInt(&ok);
    if (ok && (n == 22 || n == 24))
        return QStringLiteral("20");
    return code;
}

} // namespace store
