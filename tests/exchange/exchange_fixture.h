#pragma once

#include "edi/link.h"
#include "edi/mailbox_link.h"
#include "exchange/edi_flow.h"
#include "shell/link_settings.h"
#include "shell/workspace.h"
#include "tests/support/data_fixture.h"

#include <QDir>
#include <QStringList>

#include <optional>

namespace exchange_tests {

// A link whose codes the test sets; it moves no file.
class FakeLink : public edi::Link
{
public:
    qint32 sendCode = 1;
    qint32 receiveCode = 1;
    int calls = 0;

    qint32 EnvSetup(const QString&) override { return 1; }
    qint32 Send(const QString&) override { return ++calls, sendCode; }
    qint32 Receive(const QString&) override { return ++calls, receiveCode; }
    qint32 SendReceive(const QString&, qint32& s, qint32& r) override
    {
        ++calls;
        s = sendCode;
        r = receiveCode;
        return s < 0 && r < 0 ? s : 1;
    }
    qint32 ReReceive(const QString&) override { return ++calls, receiveCode; }
    qint32 ResultReceiveNoDlg(const QString&) override { return ++calls, receiveCode; }
};

// The view a test looks through: the preview answers as told and every
// distinct message is kept in order.
class RecordingView : public exchange::EdiFlowView
{
public:
    bool sendAnyway = true;
    int previews = 0;
    exchange::MissingConsentList shownMissing;
    QStringList messages;

    void FlowChanged(const exchange::EdiFlow& flow) override
    {
        if (messages.isEmpty() || messages.last() != flow.message())
            messages.append(flow.message());
    }
    bool ConfirmMissingConsents(const exchange::MissingConsentList& rows) override
    {
        ++previews;
        shownMissing = rows;
        return sendAnyway;
    }
};

// A workspace with the link set up and one registered institution.
class ExchangeTest : public testing_support::DataTest
{
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        shell::SetLinkProgramPath(home() + "Pelmar");
        shell::InitialiseLinkSettings();
        shell::ApplyLinkDirectories(workspace());
        m_mailbox.emplace(workspace());
        addInstitution(QStringLiteral("푸른마을아파트"), "A123456789", "AB100", "AB200");
    }

    QStringList filesIn(const QString& relative) const
    {
        return QDir(path(relative)).entryList(QDir::Files, QDir::Name);
    }

    // The program's link, as Pelmar makes it.
    edi::MailboxLink& mailbox() { return *m_mailbox; }

private:
    std::optional<edi::MailboxLink> m_mailbox;
};

} // namespace exchange_tests
