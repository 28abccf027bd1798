#include "store/tdm1.h"

#include "shell/log.h"
#include "shell/ui.h"
#include "shell/workspace.h"
#include "store/blank_database.h"
#include "store/data_folder.h"
#include "store/database.h"
#include "store/migration.h"
#include "store/schema.h"
#include "store/shipped_closures.h"
#include "store/transaction_guard.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <atomic>

namespace store {
namespace {

std::atomic<int> g_instances{0};

const char* const kSharedTables[] = {"BankCode", "UserCode", "CodeP", "CodeS", "Apt2"};

MainConnectionHook& mainConnectionHook()
{
    static MainConnectionHook hook;
    return hook;
}

} // namespace

void SetMainConnectionHook(MainConnectionHook hook)
{
    mainConnectionHook() = std::move(hook);
}

bool TDM1::runConnectionHook(const QString& dataDir)
{
    if (!mainConnectionHook())
        return true;
    QSqlDatabase main = db();
    const platform::Result<> r = mainConnectionHook()(main, dataDir);
    if (r)
        return true;
    m_ui.ShowError(r.error());
    CloseDatabase(m_mainName);
    return false;
}

const QString TDM1::kUnusableMessage = QStringLiteral(
    "자료를 사용할수가 없습니다.\r\rPC를 재시작한 후 자료관리 프로그램으로 \r자료재정리를 수행하여 "
    "주십시오.\r\r자료재정리 후에도 프로그램이 정상적으로 실행되지 않으면 \rMiradel 주식회사로 "
    "연락하여 주십시오.\r");

TDM1::TDM1(shell::Ui& ui, const shell::Workspace& ws) : m_ui(ui), m_ws(ws)
{
    const int n = g_instances++;
    const QString suffix = n == 0 ? QString() : QString("#%1").arg(n);
    m_mainName = "PelmarExeDB" + suffix;
    m_updateName = "PelmarDB_Update" + suffix;
}

TDM1::~TDM1()
{
    Close();
}

QString TDM1::DatabaseFile(const QString& dataDir)
{
    return QDir(dataDir).filePath("Pelmar.db");
}

QSqlDatabase TDM1::db() const
{
    return QSqlDatabase::database(m_mainName, false);
}

bool TDM1::IsOpen() const
{
    return QSqlDatabase::contains(m_mainName) && db().isOpen();
}

void TDM1::Close()
{
    CloseDatabase(m_updateName);
    CloseDatabase(m_mainName);
}

bool TDM1::ensureDatabaseFile(const QString& dataDir)
{
    RecoverSwappedOutData(dataDir);
    if (QFileInfo::exists(DatabaseFile(dataDir)))
        return true;
    const platform::Result<> filled = FillFromBlank(dataDir, m_ws);
    if (!filled) {
        m_ui.ShowError("빈 자료 파일을 만들 수 없습니다.\r" + filled.error());
        shell::WriteLog("빈 자료 파일 생성 실패 " + filled.error(), true);
        return false;
    }
    return true;
}

bool TDM1::Connect(const QString& dataDir)
{
    CloseDatabase(m_mainName);
    m_dataDir = dataDir;
    if (!ensureDatabaseFile(dataDir))
        return false;
    const platform::Result<> r = OpenDatabase(m_mainName, DatabaseFile(dataDir));
    if (!r) {
        m_ui.ShowError(r.error());
        CloseDatabase(m_mainName);
        return false;
    }
    return runConnectionHook(dataDir);
}

bool TDM1::PrepareDatabase(const QString& dataDir)
{
    Close();
    m_dataDir = dataDir;
    if (!ensureDatabaseFile(dataDir))
        return false;
    const QString file = DatabaseFile(dataDir);
    platform::Result<> r = OpenDatabase(m_updateName, file);
    if (r)
        r = OpenDatabase(m_mainName, file);
    if (!r) {
        m_ui.ShowError(r.error());
        Close();
        return false;
    }

    MigrationResult m;
    bool committed = false;
    {
        QSqlDatabase update = QSqlDatabase::database(m_updateName, false);
        TransactionGuard tx(update);
        m = tx.active() ? RunMigration(update, ShippedClosuresFile(m_ws.shippedDir))
                        : MigrationResult{false, "BEGIN", update.lastError().text()};
        committed = m.ok && tx.commit();
        if (m.ok && !committed)
            m = {false, "COMMIT", update.lastError().text()};
    }
    CloseDatabase(m_updateName);
    // The main connection was opened before the steps created or widened
    // tables: its byte-limit checks are renewed over what the file has now.
    if (committed) {
        QSqlDatabase main = db();
        if (const platform::Result<> limits = InstallByteLimits(main); !limits) {
            m_ui.ShowError(limits.error());
            return false;
        }
    }
    if (!committed) {
        shell::WriteLog("자료 변환 실패 " + m.step + " " + m.error, true);
        m_ui.ShowError("자료 변환 중 오류가 발생하였습니다.\r\r" + m.step + "\r" + m.error);
        return false;
    }
    return runConnectionHook(dataDir);
}

bool TDM1::OpenTables()
{
    bool ok = IsOpen() || Connect(m_dataDir);
    if (ok) {
        QSqlDatabase d = db();
        QSqlQuery q(d);
        for (const char* table : kSharedTables)
            ok = ok && q.exec(QString("SELECT * FROM %1 LIMIT 0").arg(table));
    }
    if (!ok) {
        m_ui.ShowError(kUnusableMessage);
        return false;
    }
    return RefreshTables();
}

bool TDM1::RefreshTables()
{
    const auto load = [this](const char* sql, QHash<QString, QString>& into) {
        QSqlQuery q(db());
        q.setForwardOnly(true);
        if (!q.exec(sql)) {
            m_ui.ShowError(ReadFailureMessage(q.lastError()));
            return false;
        }
        QHash<QString, QString> rows;
        while (q.next())
            rows.insert(q.value(0).toString(), q.value(1).toString());
        if (q.lastError().isValid()) {
            m_ui.ShowError(ReadFailureMessage(q.lastError()));
            return false;
        }
        into = std::move(rows);
        return true;
    };
    return IsOpen() && load("SELECT Id, Name FROM BankCode", m_bankNames) &&
           load("SELECT id, Name FROM CodeP", m_resultTexts) &&
           load("SELECT id, Name FROM CodeS", m_outcomeTexts);
}

std::optional<int> TDM1::NextNumber(const QString& table, const QString& field)
{
    // Table and field are the module's own names, never user input.
    QSqlQuery q(db());
    if (!q.exec("SELECT Max(" + field + ")\nFROM " + table) || !q.next()) {
        m_ui.ShowError(ReadFailureMessage(q.lastError()));
        return std::nullopt;
    }
    return q.value(0).toInt() + 1;
}

std::optional<int> TDM1::NextBatchNumber()
{
    return NextNumber("Apt1", "AptID");
}

std::optional<int> TDM1::NextGroupNumber()
{
    return NextNumber("GroupAp1", "AptID");
}

QString TDM1::BankName(const QString& id) const
{
    return m_bankNames.value(id);
}

QString TDM1::ResultText(const QString& id) const
{
    return m_resultTexts.value(id);
}

QString TDM1::OutcomeText(const QString& id) const
{
    return m_outcomeTexts.value(id);
}

} // namespace store
