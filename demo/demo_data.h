#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

namespace shell {
struct Workspace;
}
namespace store {
class TDM1;
}

// The data of the demo installation: a branch that collects for three
// complexes, with four months of transfers, the residents' consents and
// their evidence, drawn from a fixed seed so that every demo is the same.
namespace demo {

inline constexpr quint32 kDemoSeed = 20150415;

// The ordinary demo, or a large branch's month for measuring: forty
// complexes, 120 batches, about 300,000 lines and 30,000 consents.
enum class DemoSize {
    Ordinary,
    Large,
};

struct DemoSummary
{
    int institutions = 0;
    int batches = 0;
    int lines = 0;
    int consents = 0;
    int evidence = 0;
};

// The folder in which the evidence screen keeps the saved evidence files.
QString EvidenceFolder(const shell::Workspace& ws);

// Fills the empty tables of a freshly prepared workspace as of today: the
// institutions, a dozen batches (answered, sent, waiting and held back)
// with their lines and results, a consent in every status and evidence
// files in `evidenceDir`. It goes in two transactions around `firstSend`:
// first everything but what waits, this month's sent batch and the
// consents being registered or cancelled stored still waiting; then
// `firstSend` (the demo's send, which makes those sent; without it they
// stay waiting); then the batches and consents that wait. On a refused row
// the error is shown and that step stores nothing.
bool FillDemoData(store::TDM1& dm, const QString& evidenceDir, quint32 seed = kDemoSeed,
                  DemoSummary* summary = nullptr, const std::function<bool()>& firstSend = {},
                  DemoSize size = DemoSize::Ordinary);

} // namespace demo
