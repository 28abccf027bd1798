#include "shell/codec.h"

#include <cerrno>
#include <iconv.h>

namespace shell {
namespace {

// iconv descriptors are not thread-safe; one per thread and direction.
class Converter
{
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (m_cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(m_cd);
    }
    iconv_t handle() const { return m_cd; }

private:
    iconv_t m_cd;
};

iconv_t toCp949()
{
    thread_local Converter c("CP949", "UTF-8");
    return c.handle();
}

iconv_t fromCp949()
{
    thread_local Converter c("UTF-8", "CP949");
    return c.handle();
}

// Length of the UTF-8 sequence that starts with `b`.
int utf8Length(unsigned char b)
{
    if (b < 0x80)
        return 1;
    if ((b & 0xE0) == 0xC0)
        return 2;
    if ((b & 0xF0) == 0xE0)
        return 3;
    if ((b & 0xF8) == 0xF0)
        return 4;
    return 1;
}

// Converts `in` with `cd`; on an invalid sequence emits `replacement` and
// skips `skip(byte)` input bytes.
template <typename Skip>
QByteArray convert(iconv_t cd, const QByteArray& in, const QByteArray& replacement, Skip skip)
{
    QByteArray out;
    if (in.isEmpty())
        return out;
    out.resize(in.size() * 2 + 16);
    char* src = const_cast<char*>(in.constData());
    size_t srcLeft = size_t(in.size());
    size_t used = 0;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    while (srcLeft > 0) {
        char* dst = out.data() + used;
        size_t dstLeft = size_t(out.size()) - used;
        const size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        used = size_t(out.size()) - dstLeft;
        if (rc != size_t(-1))
            break;
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        // EILSEQ or EINVAL (truncated input): replace and skip.
        const size_t n = std::min<size_t>(skip(static_cast<unsigned char>(*src)), srcLeft);
        src += n;
        srcLeft -= n;
        if (size_t(out.size()) - used < size_t(replacement.size()) + 8)
            out.resize(out.size() * 2 + 16);
        memcpy(out.data() + used, replacement.constData(), size_t(replacement.size()));
        used += size_t(replacement.size());
    }
    out.resize(qsizetype(used));
    return out;
}

} // namespace

namespace {

bool isAscii(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

bool isAscii(const QByteArray& bytes)
{
    for (char b : bytes)
        if (static_cast<unsigned char>(b) >= 0x80)
            return false;
    return true;
}

} // namespace

QByteArray ToCp949(const QString& text)
{
    if (text.isEmpty())
        return {};
    // Record fields are mostly digits and Latin codes: no conversion needed.
    if (isAscii(text))
        return text.toLatin1();
    return convert(toCp949(), text.toUtf8(), "?", utf8Length);
}

QString FromCp949(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return {};
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    // An invalid lead byte swallows only itself so that the next character
    // still decodes.
    return QString::fromUtf8(convert(fromCp949(), bytes, "\xEF\xBF\xBD",
                                     [](unsigned char) { return 1; }));
}

int Cp949Length(const QString& text)
{
    // Pure ASCII is the common case and needs no conversion.
    return isAscii(text) ? int(text.size()) : int(ToCp949(text).size());
}

QByteArray LeftBytes(const QByteArray& bytes, int count)
{
    if (count <= 0)
        return {};
    if (count >= bytes.size())
        return bytes;
    int i = 0;
    while (i < count) {
        const int len = IsLeadByte(static_cast<unsigned char>(bytes[i])) ? 2 : 1;
        if (i + len > count)
            break;
        i += len;
    }
    return bytes.left(i);
}

QByteArray MidBytes(const QByteArray& bytes, int start, int count)
{
    if (start < 0 || count <= 0 || start >= bytes.size())
        return {};
    // Find the first character boundary at or after `start`.
    int i = 0;
    while (i < start)
        i += IsLeadByte(static_cast<unsigned char>(bytes[i])) ? 2 : 1;
    const int skipped = i - start;
    return LeftBytes(bytes.mid(i), count - skipped);
}

bool IsMultiByteUtf8(const QByteArray& bytes)
{
    bool multi = false;
    for (qsizetype i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        const int n = b < 0x80 ? 1 : b >= 0xC2 && b <= 0xDF ? 2 : b >= 0xE0 && b <= 0xEF ? 3
                                  : b >= 0xF0 && b <= 0xF4                ? 4
                                                                          : 0;
        if (n == 0 || i + n > bytes.size())
            return false;
        for (int k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80)
                return false;
        multi = multi || n > 1;
        i += n;
    }
    return multi;
}

} // namespace shell
