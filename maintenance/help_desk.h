#pragma once

#include "edi/link.h"
#include "maintenance/maintenance_context.h"

#include <QByteArray>
#include <QString>

namespace maintenance {

inline const QString kHelpDeskReceiver = QStringLiteral("HELP005");

// The 61-byte envelope header line (without its CR LF) of a help-desk send.
QByteArray HelpDeskEnvelopeHeader(qint64 payloadLength, const QString& documentCode,
                                  const QString& senderId);

struct SendOutcome
{
    bool sent = false;       // the link reported success
    bool linkCalled = false; // the link was asked at all (its status text means something)
    edi::LinkOutcome link;   // what the link said, when it was asked
};

// The data archive as SendDir + "FAZIP" through the link. The caller has
// closed the tables.
SendOutcome SendDataToHelpDesk(Context& ctx, edi::Link& link);
// A file the user chooses (or `chosen`) as SendDir + "FATXT".
SendOutcome SendFileToHelpDesk(Context& ctx, edi::Link& link, const QString& chosen = {});

// The send, receive and result folders as the program that runs knows them:
// Pelmar keeps the configured ones, Vandry puts them back under ProgramDir;
// `ws` takes them.
void PrepareTransferDirectoriesFor(Program program, shell::Workspace& ws);

} // namespace maintenance
