#include "apps/clearing_sim/request_file.h"

#include "platform/result.h"

#include <QDate>
#include <cstdio>
#include <cstring>

namespace sim {
namespace {

QByteArray at(const QByteArray& rec, int offset, int width)
{
    return rec.mid(offset, width);
}

bool allDigits(const QByteArray& s)
{
    if (s.isEmpty())
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

bool allBlank(const QByteArray& s)
{
    for (char c : s)
        if (c != ' ')
            return false;
    return true;
}

bool isPrime(int n)
{
    if (n < 2)
        return false;
    for (int d = 2; d * d <= n; ++d)
        if (n % d == 0)
            return false;
    return true;
}

QString text(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes).trimmed();
}

// Lines of a file that ends each line with CR LF.
platform::Result<QList<QByteArray>> splitLines(const QByteArray& file)
{
    if (!file.endsWith("\r\n"))
        return platform::Fail("the file does not end with CR LF");
    QList<QByteArray> lines;
    qsizetype pos = 0;
    while (pos < file.size()) {
        const qsizetype end = file.indexOf("\r\n", pos);
        lines.append(file.mid(pos, end - pos));
        pos = end + 2;
    }
    return lines;
}

// The first four decimals of part / whole, 0 <= part < whole.
QByteArray fourDecimals(qint64 part, qint64 whole)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04lld", static_cast<long long>(part * 10000 / whole));
    return buf;
}

// The file check value: the four characters after the point of the
// quotient printed with 18 decimals.
QByteArray fileCheck(qint64 count, qint64 total, qint64 digits, qint64 divisor)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.18f",
                  double(count + total + digits) / double(count + divisor));
    const char* point = std::strchr(buf, '.');
    return QByteArray(point + 1, 4);
}

ParsedRequest reject(const QString& reason)
{
    ParsedRequest p;
    p.reason = reason;
    return p;
}

ParsedRequest parseTransfer(const QList<QByteArray>& lines, Request r)
{
    const QByteArray& s = lines[1];
    if (s.size() != 198)
        return reject("S record is not 198 bytes");
    if (at(s, 0, 8) != "S9990121" || at(s, 18, 3) != "221" || !allBlank(at(s, 57, 141)))
        return reject("S record: fixed fields are wrong");
    const QDate transferDate = QDate::fromString(QString::fromLatin1(at(s, 21, 8)), "yyyyMMdd");
    if (!transferDate.isValid() ||
        !QDate::fromString(QString::fromLatin1(at(s, 29, 8)), "yyyyMMdd").isValid())
        return reject("S record: dates are not valid");
    if (!allDigits(at(s, 37, 4)))
        return reject("S record: the check divisor is not a number");
    const int divisor = at(s, 37, 4).toInt();
    if (divisor < 1009 || divisor > 1721 || !isPrime(divisor))
        return reject(QString("S record: %1 is not one of the check divisors").arg(divisor));
    r.institution = text(at(s, 8, 10));
    r.header = s;

    qint64 total = 0, digitSum = 0;
    qint64 groupCount[3] = {0, 0, 0}, groupSum[3] = {0, 0, 0};
    const qsizetype last = lines.size() - 1;
    for (qsizetype i = 2; i < last; ++i) {
        const QByteArray& d = lines[i];
        const QString where = QString("D record %1: ").arg(i - 1);
        if (d.size() != 198 || d.at(0) != 'D')
            return reject(where + "not a 198-byte D record");
        if (!allDigits(at(d, 1, 7)) || at(d, 1, 7).toLongLong() != i - 1)
            return reject(where + "sequence number out of order");
        if (at(d, 8, 10) != at(s, 8, 10) || at(d, 18, 5) != "12999")
            return reject(where + "institution or fixed codes differ");
        const QByteArray bank = at(d, 23, 3);
        const QByteArray account = at(d, 26, 16).trimmed();
        if (!allDigits(bank) || account.isEmpty() || !allDigits(at(d, 42, 13)))
            return reject(where + "bank, account or amount is not a number");
        if (at(d, 55, 13) != QByteArray(13, '0') || !allBlank(at(d, 68, 12)) || d.at(80) != '0' ||
            !allBlank(at(d, 81, 13)) || !allBlank(at(d, 129, 20)) || !allBlank(at(d, 153, 45)))
            return reject(where + "filler fields are wrong");
        const char lastChar = account.back();
        if (lastChar < '0' || lastChar > '9')
            return reject(where + "the account does not end in a digit");
        const qint64 amount = at(d, 42, 13).toLongLong();
        const qint64 sum = amount + transferDate.day() + (lastChar - '0');
        if (at(d, 149, 4) != fourDecimals(sum % divisor, divisor))
            return reject(where + "record check value does not match");
        if (at(d, 114, 5).trimmed().isEmpty())
            return reject(where + "no batch key");
        const int group = bank == "011" ? 0 : bank == "012" ? 1 : 2;
        ++groupCount[group];
        groupSum[group] += amount;
        total += amount;
        digitSum += lastChar - '0';
        r.lines.append(d);
    }

    const QByteArray& e = lines[last];
    const qint64 count = r.lines.size();
    if (e.size() != 198 || e.at(0) != 'E' || !allBlank(at(e, 100, 98)))
        return reject("E record is not a 198-byte E record");
    const auto number = [&](int offset, int width) {
        return allDigits(at(e, offset, width)) ? at(e, offset, width).toLongLong() : -1;
    };
    if (number(1, 7) != count + 2 || number(8, 7) != count || number(15, 15) != total)
        return reject("E record: counts or total do not match the D records");
    for (int g = 0; g < 3; ++g)
        if (number(30 + g * 22, 7) != groupCount[g] || number(37 + g * 22, 15) != groupSum[g])
            return reject(QString("E record: bank group %1 does not match").arg(g + 1));
    if (at(e, 96, 4) != fileCheck(count, total, digitSum, divisor))
        return reject("E record: file check value does not match");
    r.trailer = e;
    ParsedRequest p;
    p.ok = true;
    p.request = r;
    return p;
}

ParsedRequest parseConsent(const QList<QByteArray>& lines, Request r, qint64 declaredSize,
                           bool sized)
{
    const QByteArray& s = lines[1];
    if (s.size() != 98 || at(s, 0, 3) != "SE1" || at(s, 13, 2) != "12" || s.at(23) != '1' ||
        !allBlank(at(s, 24, 74)))
        return reject("consent S record is wrong");
    if (!QDate::fromString(QString::fromLatin1(at(s, 15, 8)), "yyyyMMdd").isValid())
        return reject("consent S record: date is not valid");
    r.institution = text(at(s, 3, 10));
    r.header = s;
    qint64 registrations = 0;
    const qsizetype last = lines.size() - 1;
    for (qsizetype i = 2; i < last; ++i) {
        const QByteArray& d = lines[i];
        const QString where = QString("consent D record %1: ").arg(i - 1);
        if (d.size() != 98 || d.at(0) != 'D')
            return reject(where + "not a 98-byte D record");
        if (!allDigits(at(d, 1, 7)) || at(d, 1, 7).toLongLong() != i - 1)
            return reject(where + "sequence number out of order");
        if (!allDigits(at(d, 8, 2)) || !allDigits(at(d, 10, 16).trimmed()))
            return reject(where + "bank or account is not a number");
        if (d.at(26) != '1' && d.at(26) != '2')
            return reject(where + "request kind is neither 1 nor 2");
        if (!allDigits(at(d, 29, 6)) || !allDigits(at(d, 35, 8)) || !allBlank(at(d, 43, 5)) ||
            (d.at(48) != 'Y' && d.at(48) != 'N') || !allBlank(at(d, 82, 16)))
            return reject(where + "fixed fields are wrong");
        if (at(d, 62, 20).trimmed().isEmpty())
            return reject(where + "no payer number");
        registrations += d.at(26) == '1';
        r.lines.append(d);
    }
    const QByteArray& e = lines[last];
    const qint64 count = r.lines.size();
    if (e.size() != 98 || e.at(0) != 'E' || at(e, 22, 28) != QByteArray(28, '0') ||
        !allBlank(at(e, 50, 48)))
        return reject("consent E record is wrong");
    if (at(e, 1, 7).toLongLong() != count + 2 || at(e, 8, 7).toLongLong() != registrations ||
        at(e, 15, 7).toLongLong() != count - registrations)
        return reject("consent E record: counts do not match the D records");
    if (sized ? declaredSize != count * 100 + 200 : declaredSize != 0)
        return reject("envelope size does not match the consent records");
    r.trailer = e;
    ParsedRequest p;
    p.ok = true;
    p.request = r;
    return p;
}

} // namespace

ParsedRequest ParseRequest(const QByteArray& file)
{
    const platform::Result<QList<QByteArray>> split = splitLines(file);
    if (!split)
        return reject(split.error());
    const QList<QByteArray>& lines = *split;
    if (lines.size() < 3)
        return reject("fewer than three lines");
    const QByteArray& env = lines[0];
    const bool plain = env.startsWith("<<NEHEAD>>1N");
    const bool sized = env.startsWith("<<SMHEAD>>3B");
    if (!plain && !sized)
        return reject("no request envelope line");
    if (env.size() != (plain ? 61 : 74) || !allDigits(at(env, 12, 10)) ||
        !allBlank(at(env, 22, 10)) || at(env, 48, 3) != "001" ||
        (sized && at(env, 61, 13) != "001PAYINFO   "))
        return reject("the envelope line is malformed");
    Request r;
    r.fileCode = text(at(env, 42, 6));
    if (r.fileCode.isEmpty())
        return reject("the envelope line names no file code");
    if (lines[1].startsWith("S999012")) {
        if (!plain || at(env, 12, 10) != "0000000000")
            return reject("a transfer request needs the plain envelope with size 0");
        r.kind = RequestKind::Transfer;
        return parseTransfer(lines, r);
    }
    if (lines[1].startsWith("SE1")) {
        r.kind = RequestKind::Consent;
        return parseConsent(lines, r, at(env, 12, 10).toLongLong(), sized);
    }
    return reject("neither a transfer nor a consent request");
}

} // namespace sim
