// Every screen of the daily program opened on a demo branch while the
// engine refuses to read one table (an authorizer on the program's own
// connection, one table at a time): a screen that meets the refusal says so.
// None may show an empty list, or one with rows missing, without a word.

#include "calendar/ui/fm_holiday.h"
#include "codes/ui/fm_code_bank.h"
#include "codes/ui/fm_follow_up_rules.h"
#include "codes/ui/tfm_code1.h"
#include "consent/ui/fm_evidential_authkey.h"
#include "consent/ui/tfm_tong_register.h"
#include "demo/demo_data.h"
#include "exchange/ui/tfm_send_result.h"
#include "reports/ui/tfm_collections.h"
#include "store/database.h"
#include "store/tdm1.h"
#include "tests/exchange/exchange_fixture.h"
#include "tests/support/data_fixture.h"
#include "tests/support/qt_app.h"
#include "transfer/ui/tfm_apt1.h"
#include "transfer/ui/tfm_apt2.h"
#include "transfer/ui/tfm_group_apt1.h"

#include <QApplication>
#include <QDialog>
#include <QSqlQuery>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>
#include <memory>

namespace {

struct Refusal
{
    QByteArray table;
    bool met = false;
};

int refuseReads(void* data, int action, const char* table, const char*, const char*, const char*)
{
    auto* refusal = static_cast<Refusal*>(data);
    if (action == SQLITE_READ && table && refusal->table == table) {
        refusal->met = true;
        return SQLITE_DENY;
    }
    return SQLITE_OK;
}

using Opener = std::function<std::unique_ptr<QWidget>()>;

// The opener of screen T made from `args`.
template <typename T, typename... Args>
Opener Open(Args&... args)
{
    return [&args...]() -> std::unique_ptr<QWidget> { return std::make_unique<T>(args...); };
}

class ScreenReadFailures : public testing_support::DataTest
{
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        testing_support::QtApp();
        ASSERT_TRUE(demo::FillDemoData(*dm, demo::EvidenceFolder(workspace())));
        ui.clear();
    }

    QStringList tables()
    {
        QStringList out;
        QSqlQuery q(dm->db());
        EXPECT_TRUE(q.exec("SELECT name FROM sqlite_master WHERE type = 'table' "
                           "AND name NOT LIKE 'sqlite_%' ORDER BY name"));
        while (q.next())
            out.append(q.value(0).toString());
        return out;
    }

    // Opens the screen once per table, that table refused; the faults found.
    QStringList faultsOf(const Opener& open)
    {
        QStringList faults;
        for (const QString& table : tables()) {
            Refusal refusal{table.toUtf8()};
            ui.clear();
            sqlite3_set_authorizer(store::SqliteHandle(dm->db()), refuseReads, &refusal);
            {
                std::unique_ptr<QWidget> screen = open();
                screen->show();
                QApplication::processEvents();
                screen->hide();
            }
            sqlite3_set_authorizer(store::SqliteHandle(dm->db()), nullptr, nullptr);
            if (refusal.met && ui.texts("error").isEmpty() && ui.texts("info").isEmpty())
                faults.append(table);
        }
        return faults;
    }

    exchange_tests::FakeLink link;
};

TEST_F(ScreenReadFailures, EveryScreenSaysWhatItCouldNotRead)
{
    QSqlDatabase db = dm->db();
    shell::Workspace& ws = workspace();
    store::TDM1& data = *dm;
    const QString title = QStringLiteral("화면");
    const bool editable = false;
    const int resultCodes = 16, outcomes = 21, batch = 1;
    const QList<std::pair<const char*, Opener>> screens = {
        {"institutions", Open<codes::TfmCode1>(db, ui, title, editable)},
        {"bank codes", Open<codes::fmCode_Bank>(db, ui, title, editable)},
        {"result codes", Open<codes::fmCode2>(db, ui, resultCodes, title)},
        {"outcomes", Open<codes::fmCode2>(db, ui, outcomes, title)},
        {"follow-up rules", Open<codes::FmFollowUpRules>(db, ui, title, editable)},
        {"calendar", Open<calendar::FmHoliday>(db, ui, title, editable)},
        {"consents", Open<consent::TfmTongRegister>(db, ui, ws)},
        {"evidence keys", Open<consent::fmEvidentialAuthkey>(db, ui, ws)},
        {"batches", Open<transfer::TfmApt1>(data, ui)},
        {"groups", Open<transfer::TfmGroupApt1>(data, ui)},
        {"lines", Open<transfer::TfmApt2>(data, ui, batch)},
        {"results", Open<exchange::TfmSendResult>(db, ui, link, ws)},
        {"collections", Open<reports::TfmCollections>(db, ui, ws)},
    };
    for (const auto& [name, open] : screens) {
        const QStringList faults = faultsOf(open);
        EXPECT_TRUE(faults.isEmpty()) << name << " shows nothing wrong without reading "
                                      << faults.join(", ").toStdString();
    }
}

} // namespace
