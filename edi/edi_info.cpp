#include "edi/edi_info.h"

#include <iterator>

namespace edi {

QString BusinessName(int kind)
{
    // Numbered from 1.
    static const char* const kNames[] = {"대량입금",    "대량출금",    "Veltrin",
                                         "CMS자금수납", "CMS받을어음", "통장거래내역",
                                         "출금동의신청"};
    if (kind < 1 || kind > int(std::size(kNames)))
        return QStringLiteral("알수없음");
    return QString::fromUtf8(kNames[kind - 1]);
}

QString ShownName(const TEdiInfo& item)
{
    return item.name.trimmed().isEmpty() ? QStringLiteral("미등록 기관") : item.name;
}

} // namespace edi
