#include "apps/clearing_sim/answer_file.h"

namespace sim {
namespace {

bool failing(int sequence, int every)
{
    return every > 0 && sequence % every == 0;
}

QByteArray code4(const QByteArray& code)
{
    return code.leftJustified(4, ' ', true);
}

} // namespace

Answer AnswerRequest(const Request& request, const AnswerRules& rules)
{
    Answer a;
    const bool transfer = request.kind == RequestKind::Transfer;
    QByteArray header = request.header;
    if (!transfer)
        header.replace(1, 2, "1E");
    a.bytes += header + "\r\n";
    int sequence = 0;
    for (QByteArray d : request.lines) {
        ++sequence;
        const bool fail = failing(sequence, transfer ? rules.failEvery : rules.consentFailEvery);
        if (transfer) {
            d[154] = fail ? 'N' : 'Y';
            d.replace(155, 4, fail ? code4(rules.failCode) : QByteArray("0000"));
        } else {
            d[43] = fail ? 'N' : 'Y';
            d.replace(44, 4, fail ? code4(rules.consentFailCode) : QByteArray("0000"));
        }
        a.bytes += d + "\r\n";
        ++a.lines;
        a.failed += fail;
    }
    a.bytes += request.trailer + "\r\n";
    return a;
}

} // namespace sim
