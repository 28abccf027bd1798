#pragma once

#include <QDate>
#include <QDateTime>

// The one source of "now" and "today". A process started with
// PELMAR_NOW="YYYY-MM-DD HH:MM:SS" begins at that moment and runs on from
// there; tests may also freeze the clock.
namespace shell {

QDateTime Now();
QDate Today();

// Shift the clock so that Now() is `moment` at this instant and runs on.
void SetNow(const QDateTime& moment);
// Freeze the clock at `moment` until SetNow/ResetClock.
void FreezeNow(const QDateTime& moment);
// Back to the wall clock (and PELMAR_NOW re-read).
void ResetClock();

} // namespace shell
