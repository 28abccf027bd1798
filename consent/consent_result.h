#pragma once

#include "edi/result_files.h"

namespace store {
class TDM1;
}

// The bank's answers to the consent requests: files in the receive
// directory named by the institutions' consent receive code (TREGISTERIN),
// of 100-byte records without an envelope line, recognised by "1" and "E"
// as their second and third characters. Each answered consent moves to its
// final status with the bank's result code and the receive time.
namespace consent {

// Applies every consent result file, each in one transaction. A record
// whose result code is not a number is left out and noted, and the rest of
// the file goes on; a file that cannot be read (cut off, no records, a
// block without its trailer) changes nothing and is named in the error.
// Consents are found by what the request file carried: the bank by its
// group, the account with or without the zero fill.
edi::ResultRun ApplyConsentResults(store::TDM1& dm, const QString& recvDir);
// The same for files given one by one, each under its consent receive code.
edi::ResultRun ApplyConsentResults(store::TDM1& dm, const QList<edi::ResultFile>& files);

} // namespace consent
