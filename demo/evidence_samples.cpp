#include "demo/evidence_samples.h"

#include "shell/codec.h"

#include <QtEndian>

#include <cmath>
#include <numbers>

namespace demo {
namespace {

void put16(QByteArray& out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void put32(QByteArray& out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

// One directory entry whose value fits into the entry itself.
void tiffEntry(QByteArray& out, quint16 tag, quint16 type, quint32 value)
{
    put16(out, tag);
    put16(out, type);
    put32(out, 1);
    if (type == 3) { // SHORT, left-justified in the value field
        put16(out, quint16(value));
        put16(out, 0);
    } else {
        put32(out, value);
    }
}

class Page
{
public:
    Page(int w, int h) : m_w(w), m_h(h), m_pixels(w * h, char(255)) {}
    void fill(int x, int y, int w, int h, uchar grey)
    {
        for (int j = qMax(0, y); j < qMin(m_h, y + h); ++j)
            for (int i = qMax(0, x); i < qMin(m_w, x + w); ++i)
                m_pixels[j * m_w + i] = char(grey);
    }
    void frame(int x, int y, int w, int h, uchar grey)
    {
        fill(x, y, w, 1, grey);
        fill(x, y + h - 1, w, 1, grey);
        fill(x, y, 1, h, grey);
        fill(x + w - 1, y, 1, h, grey);
    }
    const QByteArray& pixels() const { return m_pixels; }

private:
    int m_w;
    int m_h;
    QByteArray m_pixels;
};

QByteArray der(uchar tag, const QByteArray& content)
{
    QByteArray out(1, char(tag));
    const qsizetype n = content.size();
    if (n < 0x80) {
        out.append(char(n));
    } else if (n < 0x100) {
        out.append(char(0x81)).append(char(n));
    } else {
        out.append(char(0x82)).append(char(n >> 8)).append(char(n & 0xff));
    }
    return out + content;
}

QByteArray randomBytes(QRandomGenerator& rng, int n)
{
    QByteArray out(n, '\0');
    for (char& c : out)
        c = char(rng.bounded(256));
    return out;
}

} // namespace

QByteArray ScannedForm(QRandomGenerator& rng)
{
    const int w = 180;
    const int h = 240;
    Page page(w, h);
    page.frame(6, 6, w - 12, h - 12, 40);
    page.fill(40, 16, w - 80, 8, 60); // the form's title
    // The printed lines of the form with the handwritten entries after them.
    for (int row = 0; row < 9; ++row) {
        const int y = 40 + row * 16;
        page.fill(14, y, 36, 3, 120);
        page.fill(56, y + 4, 24 + rng.bounded(w - 100), 2, uchar(20 + rng.bounded(40)));
        page.fill(56, y + 8, w - 70, 1, 190);
    }
    page.frame(w - 70, h - 50, 56, 34, 90); // the signature box
    int x = w - 64;
    int y = h - 34;
    while (x < w - 20) {
        page.fill(x, y, 2, 2, 10);
        x += rng.bounded(3);
        y = qBound(h - 46, y + int(rng.bounded(7)) - 3, h - 20);
    }

    const quint32 rationals = 8 + 2 + 12 * 12 + 4;
    const quint32 data = rationals + 16;
    QByteArray out("II");
    put16(out, 42);
    put32(out, 8);
    put16(out, 12);
    tiffEntry(out, 256, 3, w);
    tiffEntry(out, 257, 3, h);
    tiffEntry(out, 258, 3, 8);
    tiffEntry(out, 259, 3, 1); // no compression
    tiffEntry(out, 262, 3, 1); // black is zero
    tiffEntry(out, 273, 4, data);
    tiffEntry(out, 277, 3, 1);
    tiffEntry(out, 278, 3, h); // one strip
    tiffEntry(out, 279, 4, quint32(w * h));
    put16(out, 282); // XResolution
    put16(out, 5);
    put32(out, 1);
    put32(out, rationals);
    put16(out, 283); // YResolution
    put16(out, 5);
    put32(out, 1);
    put32(out, rationals + 8);
    tiffEntry(out, 296, 3, 2); // inches
    put32(out, 0);             // no further image
    for (int i = 0; i < 2; ++i) {
        put32(out, 100);
        put32(out, 1);
    }
    return out + page.pixels();
}

QByteArray SignedConsent(QRandomGenerator& rng, const EvidenceSubject& s)
{
    QByteArray serial = randomBytes(rng, 8);
    serial[0] = char(serial[0] & 0x7f); // a positive number
    const QByteArray statement =
        der(0x02, serial) + der(0x0c, QStringLiteral("자동이체 출금동의").toUtf8()) +
        der(0x0c, s.name.toUtf8()) + der(0x13, s.institution.toLatin1()) +
        der(0x13, s.payer.toLatin1()) + der(0x13, (s.bankCode + "-" + s.account).toLatin1()) +
        der(0x18, s.signedAt.toUTC().toString("yyyyMMddHHmmss").toLatin1() + "Z");
    const QByteArray signature = der(0x03, QByteArray(1, '\0') + randomBytes(rng, 128));
    return der(0x30, der(0x30, statement) + signature);
}

QByteArray Recording(QRandomGenerator& rng, bool tones)
{
    const int rate = 8000;
    const int samples = rate * 3 / 2;
    QByteArray pcm;
    pcm.reserve(samples);
    // Keypad tones are two pure frequencies; a voice is a wavering one with noise.
    static const double low[] = {697, 770, 852, 941};
    static const double high[] = {1209, 1336, 1477};
    double f1 = 0, f2 = 0;
    const int segment = rate / 5;
    for (int i = 0; i < samples; ++i) {
        if (i % segment == 0) {
            if (tones) {
                f1 = low[rng.bounded(4)];
                f2 = high[rng.bounded(3)];
            } else {
                f1 = 110 + rng.bounded(140);
                f2 = f1 * 2.5;
            }
        }
        const double t = double(i) / rate;
        const int pos = i % segment;
        // Silence between tones, a swell within each syllable.
        const double envelope = tones ? (pos < segment * 3 / 5 ? 1.0 : 0.0)
                                      : std::sin(std::numbers::pi * pos / segment);
        double v = 0.5 * std::sin(2 * std::numbers::pi * f1 * t) +
                   0.3 * std::sin(2 * std::numbers::pi * f2 * t);
        if (!tones)
            v += (rng.generateDouble() - 0.5) * 0.2;
        pcm.append(char(uchar(qBound(0, int(128 + 90 * envelope * v), 255))));
    }
    QByteArray out("RIFF");
    put32(out, quint32(36 + pcm.size()));
    out += "WAVEfmt ";
    put32(out, 16);
    put16(out, 1); // PCM
    put16(out, 1); // mono
    put32(out, rate);
    put32(out, rate); // bytes per second
    put16(out, 1);    // block align
    put16(out, 8);    // bits per sample
    out += "data";
    put32(out, quint32(pcm.size()));
    return out + pcm;
}

QByteArray ConsentDocument(const EvidenceSubject& s)
{
    const QString text = QStringLiteral("자동이체 출금동의서\r\n\r\n") +
                         "기관코드: " + s.institution + "\r\n납부자번호: " + s.payer +
                         "\r\n성명: " + s.name + "\r\n은행코드: " + s.bankCode +
                         "\r\n계좌번호: " + s.account +
                         "\r\n동의일시: " + s.signedAt.toString("yyyy-MM-dd HH:mm:ss") +
                         "\r\n\r\n위 계좌에서 관리비를 자동이체로 출금하는 데 동의합니다.\r\n";
    return shell::ToCp949(text);
}

} // namespace demo
