#include "platform/riseway.h"

namespace platform {

qint32 StartUpgrade(const QByteArray& appCode, const QByteArray& userId)
{
    Q_UNUSED(appCode);
    Q_UNUSED(userId);
    return 2;
}

} // namespace platform
