#include "platform/numguard.h"

#include "platform/ini_file.h"

#include <QFileInfo>
#include <QHash>
#include <QList>
#include <cstring>

namespace platform {
namespace {

struct Format
{
    int digits = 0;
    QList<int> groups; // empty: accepted without hyphens
};

struct Rules
{
    bool loaded = false;
    bool acceptAll = true; // no usable rules file
    QHash<QByteArray, QList<Format>> banks;
};

Rules& rules()
{
    static Rules r;
    return r;
}

// "3-4-4-2" or "12"; false when malformed.
bool parseFormat(const QByteArray& text, Format& f)
{
    const QList<QByteArray> parts = text.trimmed().split('-');
    f = Format{};
    for (const QByteArray& p : parts) {
        bool ok = false;
        const int n = p.trimmed().toInt(&ok);
        if (!ok || n <= 0 || n > 16)
            return false;
        f.digits += n;
        if (parts.size() > 1)
            f.groups.append(n);
    }
    return f.digits > 0 && f.digits <= 16;
}

QByteArray digitsOf(const char* accountNo, bool* onlyDigitsAndHyphens)
{
    QByteArray digits;
    *onlyDigitsAndHyphens = true;
    for (const char* p = accountNo; p && *p; ++p) {
        if (*p >= '0' && *p <= '9')
            digits += *p;
        else if (*p != '-')
            *onlyDigitsAndHyphens = false;
    }
    return digits;
}

const Format* matchingFormat(const QByteArray& bank, const QByteArray& digits)
{
    const auto it = rules().banks.constFind(bank);
    if (it == rules().banks.constEnd())
        return nullptr;
    for (const Format& f : *it)
        if (f.digits == digits.size())
            return &f;
    return nullptr;
}

} // namespace

NumguardLoad NumguardLoadRules(const QString& path)
{
    Rules fresh;
    fresh.loaded = true;
    if (!QFileInfo::exists(path)) {
        rules() = fresh;
        return {false, "account rules missing: " + path};
    }
    IniFile ini(path);
    if (const Result<> read = ini.load(); !read) {
        rules() = fresh;
        return {false, read.error()};
    }
    if (!ini.hasSection("Banks")) {
        rules() = fresh;
        return {false, "account rules without [Banks]: " + path};
    }
    for (const QByteArray& bank : ini.keys("Banks")) {
        QList<Format> formats;
        for (const QByteArray& entry : ini.value("Banks", bank).split(',')) {
            Format f;
            if (bank.trimmed().size() != 2 || !parseFormat(entry, f)) {
                rules() = Rules{true, true, {}};
                return {false, "account rules malformed at " + QString::fromLatin1(bank) + ": " + path};
            }
            formats.append(f);
        }
        fresh.banks.insert(bank.trimmed(), formats);
    }
    fresh.acceptAll = false;
    rules() = fresh;
    return {true, {}};
}

bool NumguardIsValid(const char* bankCode, const char* accountNo)
{
    if (rules().acceptAll)
        return true;
    bool clean = false;
    const QByteArray digits = digitsOf(accountNo, &clean);
    if (!clean || digits.isEmpty())
        return false;
    const QByteArray bank(bankCode ? bankCode : "");
    if (!rules().banks.contains(bank))
        return digits.size() >= 10 && digits.size() <= 16;
    return matchingFormat(bank, digits) != nullptr;
}

void Hyphenate(const char* bankCode, const char* accountNo, char* out)
{
    if (!out || !accountNo || !NumguardIsValid(bankCode, accountNo))
        return;
    bool clean = false;
    const QByteArray digits = digitsOf(accountNo, &clean);
    const Format* f = rules().acceptAll ? nullptr : matchingFormat(QByteArray(bankCode), digits);
    QByteArray result;
    if (!f || f->groups.isEmpty()) {
        result = QByteArray(accountNo); // returned as given
    } else {
        int at = 0;
        for (int g : f->groups) {
            if (!result.isEmpty())
                result += '-';
            result += digits.mid(at, g);
            at += g;
        }
    }
    const size_t n = std::min<size_t>(size_t(result.size()), 255);
    memcpy(out, result.constData(), n);
    out[n] = 0;
}

} // namespace platform
