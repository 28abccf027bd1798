#pragma once

#include "transfer/batches.h"

#include <QDate>
#include <QList>
#include <optional>

namespace shell {
class Ui;
}
namespace store {
class TDM1;
}

// Presenting failed withdrawals again by the follow-up rules: from a
// received batch, a new batch of the same institution with the failed
// lines whose result code's rule says 재청구 and whose original line was
// presented again fewer times than the rule's cap. Each new line is kept in
// RepresentedLine with the line it re-presents and the first line of its
// chain, so that presenting a batch twice makes nothing new and the cap
// counts over every round.
namespace transfer {

// What presenting a batch again would make, and what it leaves out.
struct RepresentPlan
{
    TransferBatch source;
    QDate date;          // the new batch's transfer date
    QList<qint64> lines; // the failed lines (Apt2ID) to present again, in order
    qint64 amount = 0;   // their sum
    int failed = 0;      // every failed line of the batch
    int atCap = 0;       // 재청구 lines whose original line has reached its cap
    int already = 0;     // failed lines this batch has already presented again
    int notRepresented() const { return failed - int(lines.size()) - atCap - already; }
};

class Representation
{
public:
    Representation(store::TDM1& dm, shell::Ui& ui);

    // The plan for batch `aptId` dated `date` (null: the next business day
    // that the batch save's date rules accept); nullopt after its message
    // when there is no such batch, it is not 수신완료, the date is refused
    // or a read fails.
    std::optional<RepresentPlan> Plan(int aptId, const QDate& date = {}) const;

    // Makes the batch in one transaction, its lines chosen again inside it:
    // the new batch's number; nullopt when nothing is left to present or
    // (after its message) a read or write failed.
    struct Made
    {
        std::optional<int> aptId;
        RepresentPlan plan; // as chosen inside the transaction
        bool failed = false;
    };
    Made Make(const RepresentPlan& plan);

private:
    store::TDM1& m_dm;
    shell::Ui& m_ui;
};

// The preview question before a batch is made.
QString RepresentQuestion(const RepresentPlan& plan);
// The message when nothing is made.
QString RepresentNothingText(const RepresentPlan& plan);
// The message once batch `aptId` is made.
QString RepresentDoneText(const RepresentPlan& plan, int aptId);

// The whole command, as the batches screen and pelmar-tool run it: the
// plan, with `ask` the preview question, the batch and the message.
enum class RepresentOutcome { Made, Nothing, Declined, Failed };
struct RepresentRun
{
    RepresentOutcome outcome = RepresentOutcome::Failed;
    int aptId = 0; // the new batch when Made
    RepresentPlan plan;
};
RepresentRun RepresentFailedLines(store::TDM1& dm, shell::Ui& ui, int aptId, const QDate& date,
                                  bool ask);

} // namespace transfer
