#pragma once

#include "apps/clearing_sim/request_file.h"

#include <QByteArray>

namespace sim {

// How the centre answers: every line accepted, except every N-th line
// (by its sequence number within the request) when N > 0.
struct AnswerRules
{
    int failEvery = 0;
    QByteArray failCode = "1000"; // 잔액부족
    int consentFailEvery = 0;
    QByteArray consentFailCode = "1012"; // 계좌번호 오류
};

struct Answer
{
    QByteArray bytes;
    int lines = 0;
    int failed = 0;
};

// Transfers: the request's S, D and E records in the 200-byte layout with
// the outcome and result code filled into each D record. Consents: the
// 100-byte result records, the S record marked "S1E", each D record with
// its acceptance flag and result code.
Answer AnswerRequest(const Request& request, const AnswerRules& rules);

} // namespace sim
