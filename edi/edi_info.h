#pragma once

#include <QList>
#include <QString>

// One row of the transmission screen's send (or receive) list: what went
// into a request file or came back in a result file.
namespace edi {

enum EdiKind : int {
    KindUnknown = 0,
    KindTransfer = 3, // "Veltrin": transfer requests and results
    KindConsent = 7,  // "출금동의신청": consent requests and results
};

struct TEdiInfo
{
    int kind = KindUnknown;
    QString name;     // institution name; blank when unknown
    QString fileInfo; // file code or file name
    int count = 0;
    qint64 amount = 0; // whole won
};

using TEdiInfoList = QList<TEdiInfo>;

// The business name of a kind ("알수없음" for kinds without one).
QString BusinessName(int kind);
// The institution name as the list shows it: "미등록 기관" when blank.
QString ShownName(const TEdiInfo& item);

} // namespace edi
