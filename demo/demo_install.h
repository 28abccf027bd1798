#pragma once

#include "demo/demo_data.h"

#include <QString>
#include <QStringList>

namespace shell {
class Ui;
}
namespace shell {
struct Workspace;
}
namespace edi {
class Link;
}

// A demo installation: a fresh workspace filled with the demo data and
// the evidence key, whose first send (this month's sent batch, the consents
// being registered or cancelled) went through the mailbox link, recorded as
// a send is, and was answered by the stand-in clearing centre, so that the
// answer waits to be received. The batches and consents that wait were
// stored after that send.
namespace demo {

// The branch's link login in the demo.
inline constexpr const char* kDemoSenderId = "BR0001";
// The evidence transmission's key in the demo (its ID is the login).
inline constexpr const char* kDemoEvidenceKey = "DEMO2015EVIDENCEKEY";
// The check divisor of the demo's send, so that the same seed gives the same files.
inline constexpr int kDemoDivisor = 1301;

struct DemoInstallation
{
    bool ok = false;
    DemoSummary summary;
    QStringList sent;     // the request files handed to the link
    QString centreOutput; // what the clearing centre reported
};

// True for a folder that does not exist yet or holds nothing at all: the
// only place a demo is made, so that no installation is ever overwritten.
bool IsFreshFolder(const QString& dir);

// Makes the workspace `ws` a demo installation; its first send goes through
// `link`, `clearingCentre` is the clearing-sim executable. Every failure is
// shown through `ui`.
DemoInstallation MakeDemoInstallation(shell::Ui& ui, shell::Workspace& ws, edi::Link& link,
                                      const QString& clearingCentre, quint32 seed = kDemoSeed,
                                      DemoSize size = DemoSize::Ordinary);

} // namespace demo
