// The exchange without a window: the transmission screen's flow with the
// console as its view, and the link's transmission report as text.

#include "apps/pelmar_tool/tool_command.h"
#include "calendar/send_cutoffs.h"
#include "edi/link.h"
#include "exchange/edi_flow.h"
#include "exchange/send_result.h"
#include "shell/link_settings.h"
#include "shell/workspace.h"
#include "store/tdm1.h"

#include <QFileInfo>

namespace {

constexpr int kUnanswered = 3;

// The flow's messages go to stderr as they come; the lists and the final
// message are printed when the flow is over.
class ConsoleEdiView : public exchange::EdiFlowView
{
public:
    explicit ConsoleEdiView(ToolContext& ctx) : m_ctx(ctx) {}

    void FlowChanged(const exchange::EdiFlow& flow) override
    {
        if (flow.message() != m_last && !flow.messageIsError())
            m_ctx.ui.ShowWaitMessage(flow.message());
        m_last = flow.message();
    }

    bool ConfirmMissingConsents(const exchange::MissingConsentList& rows) override
    {
        for (const exchange::MissingConsent& m : rows)
            m_ctx.err << "missing consent\t" << m.giganId << '\t' << m.bankCode << '\t' << m.bankNo
                      << '\t' << m.napbuNo << '\n';
        m_ctx.err.flush();
        return m_ctx.ui.Confirm(exchange::MissingConsentTitle() + "\r" +
                                    exchange::MissingConsentStatus(rows.size()),
                                false);
    }

    bool QuestionRefused() const override { return !m_ctx.ui.refusedQuestion().isEmpty(); }

private:
    ToolContext& m_ctx;
    QString m_last;
};

// What the program does at start before any link call.
void prepareLink(shell::Workspace& ws)
{
    shell::InitialiseLinkSettings();
    shell::ApplyLinkDirectories(ws);
}

int unanswered(ToolContext& ctx)
{
    QString q = ctx.ui.refusedQuestion();
    q.replace("\r\n", " ").replace('\r', ' ');
    ctx.err << "pelmar-tool: unanswered question: " << q.simplified() << "\n";
    return kUnanswered;
}

int runExchange(ToolContext& ctx, const QStringList& args, int mode)
{
    for (const QString& a : args) {
        if (a != "--test")
            return 2;
        ctx.ws.testMode = true;
    }
    store::TDM1 dm(ctx.ui, ctx.ws);
    if (!OpenToolData(ctx, dm))
        return 1;
    prepareLink(ctx.ws);
    if (mode == exchange::ModeSend || mode == exchange::ModeSendReceive) {
        QSqlDatabase db = dm.db();
        if (!calendar::CheckSameDayCutoff(db, ctx.ui))
            return 1;
    }

    ConsoleEdiView view(ctx);
    exchange::EdiFlow flow(dm, ctx.ui, view, mode, ctx.link, ctx.ws);
    flow.Activate();
    if (flow.ready() && !view.QuestionRefused())
        flow.SendClick();

    for (const QStringList& row : flow.rows())
        ctx.out << row.join('\t') << '\n';
    QString message = flow.message();
    message.replace("\r\n", " ").replace('\r', ' ');
    ctx.out << (flow.messageIsError() ? "error: " : "") << message << '\n';
    ctx.out.flush();
    if (view.QuestionRefused())
        return unanswered(ctx);
    using O = exchange::EdiFlow::Outcome;
    return flow.outcome() == O::Done || flow.outcome() == O::Nothing ? 0 : 1;
}

int send(ToolContext& ctx, const QStringList& args)
{
    return runExchange(ctx, args, exchange::ModeSend);
}

int receive(ToolContext& ctx, const QStringList& args)
{
    return runExchange(ctx, args, exchange::ModeReceive);
}

int sendReceive(ToolContext& ctx, const QStringList& args)
{
    return runExchange(ctx, args, exchange::ModeSendReceive);
}

int reReceive(ToolContext& ctx, const QStringList& args)
{
    return runExchange(ctx, args, exchange::ModeReReceive);
}

int results(ToolContext& ctx, const QStringList& args)
{
    if (args.size() > 1 || (args.size() == 1 && args.first() != "--fetch"))
        return 2;
    store::TDM1 dm(ctx.ui, ctx.ws);
    if (!OpenToolData(ctx, dm))
        return 1;
    if (!args.isEmpty()) {
        prepareLink(ctx.ws);
        if (!edi::LinkResultReceive(ctx.link).ok) {
            ctx.ui.ShowInfo(exchange::ReReceiveFailedMessage());
            return 1;
        }
    }
    const QString path = exchange::ReportPath(ctx.ws);
    QList<exchange::TResultRecord> records;
    if (!QFileInfo::exists(path)) {
        ctx.ui.ShowInfo(exchange::NoReportMessage());
        return 1;
    }
    if (!exchange::ReadResultReport(path, records)) {
        ctx.ui.ShowError(path);
        return 1;
    }
    for (const exchange::TResultRecord& r : records) {
        const platform::Result<exchange::ResultDetail> d = exchange::DescribeResult(dm.db(), r);
        if (!d) {
            ctx.ui.ShowError(d.error());
            return 1;
        }
        ctx.out << exchange::ResultRow(r).join('\t') << '\t' << d->work << '\t' << d->receiverName
                << '\t' << d->result << '\n';
    }
    const QString stamp = QFileInfo(path).lastModified().toString("yyyy-MM-dd HH:mm:ss");
    ctx.out << exchange::ReportAgeStatus(stamp) << '\n';
    return 0;
}

} // namespace

QList<ToolCommand> ExchangeCommands()
{
    return {
        {"send", "[--test]",
         "the transmission screen's send: checks, request files, send through the link, record; "
         "prints the send list and the final message (exit 3: a question needs --yes or --no)",
         send},
        {"receive", "[--test]", "receive through the link and apply the result files", receive},
        {"send-receive", "[--test]", "send, then receive and apply, in one link session",
         sendReceive},
        {"re-receive", "[--test]", "fetch the last received files again and apply them", reReceive},
        {"results", "[--fetch]",
         "the transmission results view as text rows (--fetch: the link's report first)", results,
         // Fetching replaces the report file.
         [](const QStringList& args) { return args.contains("--fetch"); }},
    };
}
