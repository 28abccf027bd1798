#include "store/account_numbers.h"

#include "platform/numguard.h"
#include "shell/codec.h"
#include "shell/log.h"
#include "shell/workspace.h"

namespace store {
namespace {

bool g_loaded = false;
bool g_reported = false;
std::function<void(const QString&)> g_report;

void load(const QString& path)
{
    g_loaded = true;
    const platform::NumguardLoad r = platform::NumguardLoadRules(path);
    if (r.ok)
        return;
    shell::WriteLog("계좌번호 검사규칙 오류 " + r.error, true);
    // Once per start: the screens ask for every line they show.
    if (g_report && !g_reported) {
        g_reported = true;
        g_report(AccountRulesMessage(r.error));
    }
}

// The shipped rules beside the running executable: the number library's
// rules are the process's, and the validators deep in the core read them on
// first use without being handed a workspace.
QString shippedRules()
{
    return shell::ExecutableDir() + "data/account_rules.ini";
}

void ensureRules()
{
    if (!g_loaded)
        load(shippedRules());
}

} // namespace

void ReloadAccountRules(const QString& path)
{
    load(path.isEmpty() ? shippedRules() : path);
}

void SetAccountRulesReport(std::function<void(const QString&)> report)
{
    g_report = std::move(report);
}

void LoadAccountRules()
{
    ensureRules();
}

QString AccountRulesMessage(const QString& reason)
{
    return "계좌번호 검사 규칙 파일을 읽을 수 없습니다.\r계좌번호를 검사하지 않고 모두 "
           "받아들입니다.\r\r" +
           reason;
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
