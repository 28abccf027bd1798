#include "edi/edi_info.h"

namespace edi {

QString BusinessName(int kind)
{
    switch (kind) {
    case 1:
        return QStringLiteral("대량입금");
    case 2:
        return QStringLiteral("대량출금");
    case 3:
        return QStringLiteral("Veltrin");
    case 4:
        return QStringLiteral("CMS자금수납");
    case 5:
        return QStringLiteral("CMS받을어음");
    case 6:
        return QStringLiteral("통장거래내역");
    case 7:
        return QStringLiteral("출금동의신청");
    default:
        return QStringLiteral("알수없음");
    }
}

QString ShownName(const TEdiInfo& item)
{
    return item.name.trimmed().isEmpty() ? QStringLiteral("미등록 기관") : item.name;
}

} // namespace edi
