// clearing-sim: the stand-in clearing centre. It answers every request
// file the mailbox link delivered to Mailbox/Outbox/, looking each
// institution up by its file code in the installation's UserCode as the
// centre's own register would, and leaves the answers in Mailbox/Inbox/
// for the next receive.

#include "apps/clearing_sim/answer_file.h"
#include "apps/clearing_sim/request_file.h"
#include "edi/mailbox_link.h"
#include "shell/clock.h"
#include "shell/codec.h"
#include "shell/link_settings.h"
#include "shell/log.h"
#include "shell/workspace.h"
#include "store/database.h"
#include "store/tdm1.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTextStream>

namespace {

const char* const kConnection = "ClearingSim";

int usage(QTextStream& err)
{
    err << "usage: clearing-sim --home DIR [--fail-every N] [--fail-code CODE] "
           "[--consent-fail-every N]\n";
    return 2;
}

// The receive file code of the institution that sends under `fileCode`;
// several institutions may share a consent code, so the one of the file's
// own institution comes first.
QString answerCode(const sim::Request& r)
{
    QSqlQuery q(QSqlDatabase::database(kConnection, false));
    if (r.kind == sim::RequestKind::Transfer)
        q.prepare("SELECT APIN, APID10 FROM UserCode WHERE APOUT = ? ORDER BY Rec");
    else
        q.prepare("SELECT TREGISTERIN, APID10 FROM UserCode WHERE upper(TREGISTEROUT) = ? "
                  "ORDER BY Rec");
    q.addBindValue(r.fileCode);
    if (!q.exec())
        return {};
    QString first;
    while (q.next()) {
        const QString code = q.value(0).toString().trimmed();
        if (code.isEmpty())
            continue;
        if (q.value(1).toString().trimmed().compare(r.institution, Qt::CaseInsensitive) == 0)
            return code;
        if (first.isEmpty())
            first = code;
    }
    return first;
}

bool appendTo(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Append) && f.write(bytes) == bytes.size() &&
           f.flush();
}

bool moveTo(const QString& from, const QString& dir, const QString& name)
{
    return QDir().mkpath(dir) && QFile::rename(from, dir + edi::MailboxLink::FreeName(dir, name));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    QString home;
    sim::AnswerRules rules;
    const QStringList args = app.arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        bool ok = true;
        if (a == "--home" && hasValue) {
            home = args[++i];
        } else if (a == "--fail-every" && hasValue) {
            rules.failEvery = args[++i].toInt(&ok);
        } else if (a == "--fail-code" && hasValue) {
            rules.failCode = args[++i].toLatin1();
            ok = !rules.failCode.isEmpty() && rules.failCode.size() <= 4;
        } else if (a == "--consent-fail-every" && hasValue) {
            rules.consentFailEvery = args[++i].toInt(&ok);
        } else if (a == "--help" || a == "-h") {
            usage(out);
            return 0;
        } else {
            ok = false;
        }
        if (!ok || rules.failEvery < 0 || rules.consentFailEvery < 0)
            return usage(err);
    }
    if (home.isEmpty())
        return usage(err);

    const shell::Workspace ws = shell::LoadWorkspacePaths(home);
    shell::SetLogWorkspace(ws);
    shell::TEdiConfig settings;
    shell::ReadSettings(settings);
    const QString mailbox = edi::MailboxLink::MailboxDir(settings, ws.programDir);
    const QString outbox = mailbox + "Outbox/";
    const QString inbox = mailbox + "Inbox/";
    const QString answered = mailbox + "Answered/";
    const QString rejected = mailbox + "Rejected/";

    const platform::Result<> db =
        store::OpenDatabase(kConnection, store::TDM1::DatabaseFile(ws.dataDir));
    if (!db) {
        err << "clearing-sim: " << db.error().replace('\r', ' ') << "\n";
        return 1;
    }
    if (!QDir().mkpath(inbox)) {
        err << "clearing-sim: cannot create " << inbox << "\n";
        return 1;
    }

    int failures = 0;
    const QStringList names = QDir(outbox).entryList(QDir::Files, QDir::Name);
    for (const QString& name : names) {
        const QString path = outbox + name;
        QFile f(path);
        QByteArray bytes;
        if (f.open(QIODevice::ReadOnly))
            bytes = f.readAll();
        f.close();
        sim::ParsedRequest parsed = sim::ParseRequest(bytes);
        QString code;
        if (parsed.ok) {
            code = answerCode(parsed.request);
            if (code.isEmpty()) {
                parsed.ok = false;
                parsed.reason =
                    QString("no institution sends under file code %1").arg(parsed.request.fileCode);
            }
        }
        if (!parsed.ok) {
            ++failures;
            const QString kept = edi::MailboxLink::FreeName(rejected, name);
            QDir().mkpath(rejected);
            const bool moved = QFile::rename(path, rejected + kept);
            appendTo(rejected + kept + ".reason", shell::ToCp949(parsed.reason + "\r\n"));
            edi::MailboxLink::RecordFetch(settings, ws.programDir, name, shell::Now(),
                                          parsed.reason);
            out << "rejected\t" << name << '\t' << parsed.reason << (moved ? "" : " (not moved)")
                << '\n';
            continue;
        }
        const sim::Answer answer = sim::AnswerRequest(parsed.request, rules);
        if (!appendTo(inbox + code, answer.bytes) || !moveTo(path, answered, name)) {
            ++failures;
            err << "clearing-sim: cannot write the answer to " << name << "\n";
            continue;
        }
        edi::MailboxLink::RecordFetch(settings, ws.programDir, name, shell::Now());
        out << "answered\t" << name << '\t' << code << '\t' << answer.lines << '\t' << answer.failed
            << '\n';
    }
    store::CloseDatabase(kConnection);
    return failures == 0 ? 0 : 1;
}
