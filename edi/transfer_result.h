#pragma once

#include "edi/result_files.h"

#include <QString>

namespace store {
class TDM1;
}

// The clearing centre's answers to the transfer requests: one file per
// institution's receive file code (UserCode.APIN) in the receive directory,
// in the 200-byte layout (the request records with the answers filled in,
// recognised by "S999012") or the 80-byte layout (header "11", data "22",
// trailer "33"; plain or keyed). Each data record finds its batch by the
// batch key or by the plain batch fields and its line by DataNo. A key
// that no batch of the block's institution and date carries is looked up in
// the request files kept from earlier sends (the batch was sent again under
// a new key): the answer goes to the batch that file was written for, its
// lines found by what the file wrote of them. What is still missing is
// created, so that no answer is lost. The lines get outcome,
// result code and State 3; the batches their result totals and State 3.
namespace edi {

// Applies every result file, each in one transaction: a file that cannot be
// read or applied changes nothing and is named in the error shown; the
// other files are applied. A block whose header names an institution not
// registered under that file code is left out and noted. Applying the same
// file again gives the same values. An answer under a batch key that no
// batch carries is looked up in the request files kept in `keptSendDir`
// (shell::KeptSendDir).
ResultRun ApplyTransferResults(store::TDM1& dm, const QString& recvDir, const QString& keptSendDir);
// The same for files given one by one (a kept answer applied later), each
// under its receive file code.
ResultRun ApplyTransferResults(store::TDM1& dm, const QList<ResultFile>& files,
                               const QString& keptSendDir);

} // namespace edi
