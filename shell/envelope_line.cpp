#include "shell/envelope_line.h"

#include "shell/codec.h"
#include "shell/text_helpers.h"

namespace shell {

platform::Result<QByteArray> EnvelopeLine(const Envelope& e)
{
    const std::optional<QByteArray> size = NumberField(e.size, 10);
    if (!size)
        return platform::Fail(TooWideNumberMessage(e.size, 10));
    QByteArray line = PadBytes(e.marker, 10, true, ' ');
    line += e.recordKind;
    line += e.dataKind;
    line += *size;
    line += QByteArray(10, ' ');
    line += PadBytes(ToCp949(e.senderId), 10, true, ' ');
    line += PadBytes(ToCp949(e.fileCode), 6, true, ' ');
    line += "001";
    line += PadBytes(ToCp949(e.bankId), 10, true, ' ');
    return line;
}

QString EnvelopeFileCode(const QByteArray& head)
{
    if (head.size() < kEnvelopeWidth ||
        (!head.startsWith("<<NEHEAD>>") && !head.startsWith("<<SMHEAD>>")))
        return {};
    return FromCp949(MidBytes(head, 42, 6)).trimmed();
}

} // namespace shell
