#include "shell/clock.h"

#include <QtGlobal>

namespace shell {
namespace {

struct ClockState
{
    bool initialised = false;
    bool frozen = false;
    qint64 offsetMs = 0; // added to the wall clock
    QDateTime frozenAt;
};

ClockState& state()
{
    static ClockState s;
    if (!s.initialised) {
        s.initialised = true;
        const QByteArray env = qgetenv("PELMAR_NOW");
        if (!env.isEmpty()) {
            const QDateTime at =
                QDateTime::fromString(QString::fromLatin1(env).trimmed(), "yyyy-MM-dd HH:mm:ss");
            if (at.isValid())
                s.offsetMs = QDateTime::currentDateTime().msecsTo(at);
        }
    }
    return s;
}

} // namespace

QDateTime Now()
{
    ClockState& s = state();
    if (s.frozen)
        return s.frozenAt;
    return QDateTime::currentDateTime().addMSecs(s.offsetMs);
}

QDate Today()
{
    return Now().date();
}

void SetNow(const QDateTime& moment)
{
    ClockState& s = state();
    s.frozen = false;
    s.offsetMs = QDateTime::currentDateTime().msecsTo(moment);
}

void FreezeNow(const QDateTime& moment)
{
    ClockState& s = state();
    s.frozen = true;
    s.frozenAt = moment;
}

void ResetClock()
{
    ClockState& s = state();
    s = ClockState{};
    state();
}

} // namespace shell
