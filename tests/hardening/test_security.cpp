// Unsafe input and leaks: a quote and a semicolon typed into every text
// field that reaches a statement must come back exactly as typed and run
// nothing; a whole month of work through pelmar-tool leaves no password or
// key outside the files meant to hold them, and every file it creates in
// the workspace is the user's alone, whatever the umask.

#include "codes/institution.h"
#include "consent/consent_import.h"
#include "consent/consent_register.h"
#include "consent/evidence_files.h"
#include "consent/evidence_transfer.h"
#include "shell/codec.h"
#include "shell/workspace.h"
#include "store/account_numbers.h"
#include "store/database.h"
#include "tests/support/program_run.h"
#include "tests/support/data_fixture.h"
#include "transfer/batches.h"
#include "transfer/groups.h"
#include "transfer/line_import.h"
#include "transfer/lines.h"

#include <QDirIterator>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// What an attacker types, cut to the field's width but always with the
// quote and the semicolon.
QString Hostile(int width)
{
    const QString full = QStringLiteral("';DROP TABLE Apt2;--");
    return width >= full.size() ? full : "';" + full.mid(full.size() - (width - 2));
}

class QuotedValues : public testing_support::DataTest
{
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        store::ReloadAccountRules();
    }

    QStringList tables()
    {
        QStringList names;
        QSqlQuery q(db());
        q.exec("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name");
        while (q.next())
            names.append(q.value(0).toString());
        return names;
    }
};

TEST_F(QuotedValues, EveryTypedTextIsStoredAsTypedAndRunsNothing)
{
    const QStringList tablesBefore = tables();

    // Institution: every text field of the institutions screen.
    codes::Institutions institutions(db(), ui);
    codes::Institution inst;
    inst.Name = "푸른" + Hostile(20);
    inst.APOUT = Hostile(5);
    inst.APIN = "A" + Hostile(4);
    inst.APBCODE = Hostile(7);
    inst.APID10 = "Q" + Hostile(9);
    inst.APPASS = Hostile(8);
    inst.BankNoApt = "301'0123;4567";
    inst.AUTHSENDTYPE = QStringLiteral("제출");
    ASSERT_TRUE(institutions.Save(inst, true).saved) << ui.texts("info").join('|').toStdString();
    const auto lookup = institutions.FindByCode(inst.APID10);
    ASSERT_TRUE(lookup);
    const std::optional<codes::Institution>& found = *lookup;
    ASSERT_TRUE(found);
    EXPECT_EQ(found->Name, inst.Name);
    EXPECT_EQ(found->APOUT, inst.APOUT);
    EXPECT_EQ(found->APIN, inst.APIN);
    EXPECT_EQ(found->APBCODE, inst.APBCODE);
    EXPECT_EQ(found->APPASS, inst.APPASS);
    EXPECT_EQ(found->BankNoApt, inst.BankNoApt);
    EXPECT_EQ(institutions.CountBatches(inst.APID10), 0);

    // A batch for it, with its password and remark.
    transfer::Batches batches(*dm, ui);
    auto batch = batches.NewBatch();
    ASSERT_TRUE(batch);
    batch->GiganID10 = inst.APID10;
    batch->Pass = inst.APPASS;
    batch->IcheDate = QDate(2024, 3, 18);
    batch->Bigo = Hostile(80);
    ASSERT_TRUE(batches.Save(*batch, true).saved) << ui.texts("info").join('|').toStdString();
    const auto storedBatch = batches.Find(batch->AptID);
    ASSERT_TRUE(storedBatch);
    EXPECT_EQ(storedBatch->GiganID10, inst.APID10);
    EXPECT_EQ(storedBatch->Bigo, batch->Bigo);

    // A line with quotes in the unit, the resident and the holder.
    transfer::TransferLines lines(*dm, ui, batch->AptID);
    transfer::TransferItem line = lines.NewLine(*storedBatch);
    line.Dong = "1';";
    line.Ho = ";'2";
    line.Bigo = Hostile(20);
    line.Kita = Hostile(20);
    line.BankNo = "301-1234-5678-91";
    line.IcheMoney = 10000;
    ASSERT_TRUE(lines.Save(line, true).saved) << ui.texts("info").join('|').toStdString();
    const auto storedLine = lines.Find(line.Apt2ID);
    ASSERT_TRUE(storedLine);
    EXPECT_EQ(storedLine->Dong, line.Dong);
    EXPECT_EQ(storedLine->Ho, line.Ho);
    EXPECT_EQ(storedLine->Bigo, line.Bigo);
    EXPECT_EQ(storedLine->Kita, line.Kita);
    EXPECT_EQ(storedLine->NapbuNo, line.Dong + line.Ho);
    EXPECT_EQ(batches.Institution(inst.APID10).value()->Name, inst.Name);

    // A saved group of the same institution.
    transfer::Groups groups(*dm, ui);
    auto group = groups.NewGroup();
    ASSERT_TRUE(group);
    group->GroupName = Hostile(20);
    group->GiganID10 = inst.APID10;
    group->Pass = inst.APPASS;
    group->Bigo = Hostile(80);
    ASSERT_TRUE(groups.Save(*group, true).saved) << ui.texts("info").join('|').toStdString();
    const auto storedGroup = groups.Find(group->AptID);
    ASSERT_TRUE(storedGroup);
    EXPECT_EQ(storedGroup->GroupName, group->GroupName);
    EXPECT_EQ(storedGroup->Bigo, group->Bigo);
    EXPECT_EQ(storedGroup->GiganName, inst.Name);

    // A consent whose payer number and name carry them, found again by the
    // evidence screen's searches on both.
    consent::ConsentRegister reg(db(), ui);
    consent::ConsentRecord c;
    c.Giganid = inst.APID10;
    c.Bankcd = "11";
    c.Bankno = "123-4567-8901-23";
    c.NAME = Hostile(20);
    c.JuminNO = "800101";
    c.NapbuNO = Hostile(20);
    ASSERT_TRUE(reg.Save(c).saved) << ui.texts("info").join('|').toStdString();
    const QList<consent::ConsentRecord> consents = reg.List(std::nullopt, consent::ConsentOrder::None).value();
    ASSERT_EQ(consents.size(), 1);
    EXPECT_EQ(consents[0].NAME, c.NAME);
    EXPECT_EQ(consents[0].NapbuNO, c.NapbuNO);
    EXPECT_EQ(consents[0].Giganid, inst.APID10);
    consent::EvidenceFiles evidence(db(), ui, workspace());
    using consent::EvidenceFilter, consent::EvidenceSearch;
    EXPECT_EQ(evidence.Query(inst.APID10, EvidenceFilter::All, EvidenceSearch::Name, "';DROP").size(), 1);
    EXPECT_EQ(evidence.Query({}, EvidenceFilter::All, EvidenceSearch::Payer, c.NapbuNO).size(), 1);
    EXPECT_EQ(evidence.Query({}, EvidenceFilter::All, EvidenceSearch::Account, "' OR '1'='1").size(), 0);

    // Import layouts are kept and deleted by their names.
    transfer::ImportLayout layout;
    layout.Name = Hostile(20);
    layout.Len = 40;
    layout.start[transfer::Dong] = 1;
    layout.size[transfer::Dong] = 4;
    ASSERT_TRUE(transfer::SaveLayout(*dm, ui, layout));
    ASSERT_TRUE(transfer::FindLayout(*dm, layout.Name));
    consent::ConsentLayout consentLayout;
    consentLayout.NAME = Hostile(20);
    consentLayout.LEN = 40;
    ASSERT_TRUE(consent::SaveConsentLayout(db(), ui, consentLayout));
    bool consentLayoutKept = false;
    for (const consent::ConsentLayout& l : consent::ReadConsentLayouts(db()))
        consentLayoutKept = consentLayoutKept || l.NAME == consentLayout.NAME;
    EXPECT_TRUE(consentLayoutKept);

    // Nothing ran: every table is there, with the rows put in.
    EXPECT_EQ(tables(), tablesBefore);
    EXPECT_EQ(value("SELECT COUNT(*) FROM Apt2").toInt(), 1);
    EXPECT_EQ(value("PRAGMA integrity_check").toString(), "ok");

    // And deleting by those names removes exactly those rows.
    const int layoutsBefore = value("SELECT COUNT(*) FROM APTCONV").toInt();
    const int consentLayoutsBefore = value("SELECT COUNT(*) FROM TongRegisterConv").toInt();
    ASSERT_TRUE(transfer::DeleteLayout(*dm, layout.Name));
    ASSERT_TRUE(consent::DeleteConsentLayout(db(), consentLayout.NAME));
    EXPECT_EQ(value("SELECT COUNT(*) FROM APTCONV").toInt(), layoutsBefore - 1);
    EXPECT_EQ(value("SELECT COUNT(*) FROM TongRegisterConv").toInt(), consentLayoutsBefore - 1);
    EXPECT_EQ(ui.texts("error"), QStringList());
}

// Where the system keeps passwords and keys by design: the tables, the
// settings file, the secure client's configuration, and the request files
// (whose format carries the institution's password) on their way out.
bool MeantForSecrets(const QString& relative)
{
    static const QStringList folders = {"Data/", "conf/", "Send/", "Recv/", "Mailbox/"};
    for (const QString& f : folders)
        if (relative.startsWith(f))
            return true;
    return relative == "Firm.ini";
}

TEST(Secrets, AMonthOfWorkLeavesNoPasswordOutsideItsFilesAndKeepsTheWorkspacePrivate)
{
    QTemporaryDir temp;
    const QString home = temp.filePath("home");
    qputenv("PELMAR_REGISTRY_DIR", temp.filePath("registry").toLocal8Bit());
    const mode_t previous = umask(027);
    const auto tool = [&](const QStringList& args) {
        const auto r = testing_support::RunProgram(PELMAR_TOOL, home, QStringList{"--quiet", "--yes"} + args);
        EXPECT_EQ(r.exitCode, 0) << args.join(' ').toStdString() << "\n" << r.out.toStdString() << r.err.toStdString();
    };
    tool({"make-demo"});
    tool({"link", "setup", "Password=LkSecret77"});

    // The evidence key, registered as the key dialog stores it, and the
    // evidence of the first consents that have a file.
    QStringList secrets = {"LkSecret77", "EVKEY5SECRET"};
    QString consents;
    {
        ASSERT_TRUE(store::OpenDatabase("secrets", home + "/Data/Pelmar.db").ok());
        QSqlQuery q(QSqlDatabase::database("secrets"));
        // The demo brings a key of its own; it must not leak either.
        ASSERT_TRUE(q.exec("SELECT AuthKey FROM EvidentialAuthKey"));
        while (q.next())
            secrets.append(q.value(0).toString());
        ASSERT_TRUE(q.exec("DELETE FROM EvidentialAuthKey"));
        ASSERT_TRUE(q.exec("INSERT INTO EvidentialAuthKey (SendId, AuthKey) VALUES ('BR0001', 'EVKEY5SECRET')"));
        ASSERT_TRUE(q.exec("SELECT APPASS FROM UserCode UNION SELECT Pass FROM Apt1"));
        while (q.next())
            secrets.append(q.value(0).toString());
        ASSERT_TRUE(q.exec("SELECT CUSTNO, BANKCD, ACCTNO, CMSSERIALNO FROM Evidential "
                           "WHERE AUTHFILE <> '' LIMIT 3"));
        while (q.next())
            consents += QString("%1,%2,%3,%4\n").arg(q.value(0).toString(), q.value(1).toString(),
                                                      q.value(2).toString(), q.value(3).toString());
    }
    store::CloseDatabase("secrets");
    // Written here as the key dialog writes it, in a program whose workspace
    // is private; the tools below start again from the user's umask.
    shell::KeepWorkspacePrivate();
    ASSERT_TRUE(consent::WriteSecureClientConfig(home + "/", {"BR0001", "EVKEY5SECRET"}));
    umask(027);
    secrets.removeAll(QString());
    secrets.removeDuplicates();
    ASSERT_GE(secrets.size(), 3);
    ASSERT_FALSE(consents.isEmpty());
    QFile list(temp.filePath("consents.txt"));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(consents.toUtf8());
    list.close();

    tool({"send-evidence", "--consents", list.fileName()});
    tool({"receive"});
    tool({"results", "--fetch"});
    tool({"backup", "--to", home + "/Out"}); // makes the folder
    tool({"export-lines", "--batch", "1", home + "/Out/lines.xlsx"});
    tool({"text-output", "--batch", "1", home + "/Out/lines.txt"});
    const QStringList archives = QDir(home + "/Out").entryList({"FA*.zip"}, QDir::Files);
    ASSERT_EQ(archives.size(), 1);
    tool({"restore", "--from", home + "/Out/" + archives.first()});
    tool({"reorganise"});
    tool({"check"});
    umask(previous);

    int scanned = 0;
    QDirIterator it(home, QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = QDir(home).relativeFilePath(path);
        struct stat st;
        ASSERT_EQ(lstat(QFile::encodeName(path).constData(), &st), 0);
        const mode_t expected = S_ISDIR(st.st_mode) ? 0700 : 0600;
        EXPECT_EQ(st.st_mode & 0777, expected) << relative.toStdString();
        if (S_ISDIR(st.st_mode) || MeantForSecrets(relative) || relative.endsWith(".zip") ||
            relative.endsWith(".xlsx"))
            continue;
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << relative.toStdString();
        const QByteArray bytes = f.readAll();
        for (const QString& secret : secrets)
            EXPECT_FALSE(bytes.contains(secret.toUtf8()) || bytes.contains(shell::ToCp949(secret)))
                << secret.toStdString() << " in " << relative.toStdString();
        ++scanned;
    }
    EXPECT_GT(scanned, 3);
}

} // namespace
