#include "demo/demo_data.h"

#include "calendar/business_calendar.h"
#include "codes/institution.h"
#include "demo/evidence_samples.h"
#include "demo/korean_names.h"
#include "demo/weighted_pick.h"
#include "edi/bank_groups.h"
#include "shell/clock.h"
#include "shell/ui.h"
#include "shell/workspace.h"
#include "store/account_numbers.h"
#include "store/database.h"
#include "store/migration.h"
#include "store/states.h"
#include "store/tdm1.h"
#include "store/transaction_guard.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <array>
#include <numeric>

namespace demo {
namespace {

using store::BatchState;
using store::ConsentStatus;
using store::EvidenceSendState;
using store::LineOutcome;

struct Complex
{
    QString name;
    QString code;
    QString apOut;
    QString apIn;
    QString password;
    QString tradingBank;
    QString evidence; // AUTHSENDTYPE
    QStringList dongs;
    int floors;
    int unitsPerFloor;
    int transferDay; // of the month
    int share;       // per cent of households that pay by transfer
    int baseFee;     // won, for the smallest unit
};

const QList<Complex>& complexes()
{
    static const QList<Complex> list = {
        {"한빛마을1단지아파트",
         "AP23010001",
         "HB101",
         "HB201",
         "hb1234",
         "1101234",
         "제출",
         {"101", "102", "103", "104", "105", "106", "107", "108", "109", "110"},
         15,
         4,
         25,
         70,
         170000},
        {"푸른숲마을아파트",
         "AP23010002",
         "PS102",
         "PS202",
         "ps5678",
         "1205678",
         "일부면제",
         {"201", "202", "203", "204", "205", "206"},
         20,
         4,
         20,
         70,
         190000},
        {"새솔빌라",
         "AP23010003",
         "SS103",
         "SS203",
         "ss9012",
         "1309012",
         "면제",
         {"A", "B", "C"},
         5,
         6,
         10,
         80,
         90000},
    };
    return list;
}

// The large branch: forty complexes made from the three above, each about
// 2,700 households of which not quite three in ten have a consent on record.
constexpr int kLargeComplexes = 40;

QList<Complex> complexesOf(DemoSize size)
{
    if (size == DemoSize::Ordinary)
        return complexes();
    QList<Complex> list;
    for (int k = 0; k < kLargeComplexes; ++k) {
        Complex c = complexes()[k % 3];
        const QString number = QString::number(k + 1).rightJustified(2, QChar('0'));
        if (k >= 3)
            c.name += QStringLiteral(" %1차").arg(k / 3 + 1);
        c.code = QStringLiteral("AP2301") + QString::number(k + 1).rightJustified(4, QChar('0'));
        c.apOut = c.apOut.left(2) + "1" + number;
        c.apIn = c.apIn.left(2) + "2" + number;
        c.dongs.clear();
        for (int d = 1; d <= 26; ++d)
            c.dongs.append(QString::number(100 * (k % 3 + 1) + d));
        c.floors = 24;
        c.unitsPerFloor = 5;
        c.share = 87;
        list.append(c);
    }
    return list;
}

// Where the residents keep their accounts: the central bank, the member
// banks and the others.
struct Share
{
    const char* code;
    int weight;
};
const Share kBanks[] = {{"11", 28}, {"12", 9}, {"13", 8}, {"14", 7}, {"15", 6},
                        {"04", 12}, {"20", 7}, {"88", 6}, {"81", 5}, {"03", 4},
                        {"71", 4},  {"23", 2}, {"45", 1}, {"48", 1}};

// Why a transfer failed, as the bank answers it, and how often.
const Share kFailures[] = {{"1000", 62}, {"1002", 10}, {"1003", 8},
                           {"2002", 8},  {"0204", 6},  {"1012", 6}};
const Share kRegisterRefusals[] = {{"2001", 4}, {"1012", 3}, {"2004", 2}, {"1014", 1}};
const Share kCancelRefusals[] = {{"2003", 3}, {"2002", 2}};

// The evidence kinds the branch receives, by how often.
struct EvidenceKind
{
    const char* code; // AUTHTYPE
    const char* extension;
    int weight;
};
const EvidenceKind kKinds[] = {{"1", ".tif", 50}, {"2", ".der", 15}, {"3", ".tif", 10},
                               {"4", ".wav", 15}, {"5", ".wav", 5},  {"6", ".txt", 5}};

constexpr int kMonths = 4; // month 0 is the oldest, 3 the current one

struct Household
{
    QString dong;
    QString ho;
    QString resident;
    QString holder;
    QString bank;
    QString account; // digits
    qint64 fee = 0;
    bool arrears = false; // often short of money
    int firstMonth = 0;
    int lastMonth = kMonths - 1;
    std::optional<ConsentStatus> consent; // none on record
};

struct Plan
{
    int complex;
    int month;
    BatchState state;
    QDate date;
};

QDate businessDayFrom(const calendar::BusinessCalendar& cal, QDate d)
{
    while (cal.isHoliday(d))
        d = d.addDays(1);
    return d;
}

QDate businessDayBefore(const calendar::BusinessCalendar& cal, QDate d)
{
    d = d.addDays(-1);
    while (cal.isHoliday(d))
        d = d.addDays(-1);
    return d;
}

QString dateText(const QDate& d)
{
    return d.toString(Qt::ISODate);
}

QString stamp(const QDate& d, const QTime& t)
{
    return QDateTime(d, t).toString("yyyy-MM-dd HH:mm:ss");
}

QVariant dateOrNull(const QDate& d)
{
    return d.isValid() ? QVariant(dateText(d)) : QVariant(QMetaType(QMetaType::QString));
}

class Generator
{
public:
    Generator(store::TDM1& dm, const QString& evidenceDir, quint32 seed, DemoSize size)
        : m_db(dm.db()), m_ui(dm.ui()), m_rng(seed), m_today(shell::Today()),
          m_evidenceDir(evidenceDir), m_size(size), m_complexes(complexesOf(size))
    {
    }

    bool run(DemoSummary& summary, const std::function<bool()>& firstSend);

private:
    bool fail(const QSqlQuery& q)
    {
        m_ui.ShowError(store::WriteErrorMessage(q.lastError()));
        return false;
    }
    QString account(const QString& bank);
    QTime sendTime() { return QTime(9 + m_rng.bounded(8), m_rng.bounded(60), m_rng.bounded(60)); }
    QList<Household> households(const Complex& c);
    void assignConsents(QList<Household>& list);
    QList<Plan> plans() const;
    QList<Plan> largePlans() const;
    QDate transferDate(int complex, int month) const;
    bool storeInstitutions();
    bool storeBatch(int aptId, const Plan& plan, const QList<Household>& list);
    bool storeConsent(const Complex& c, const Household& h);
    bool storeEvidence(const Complex& c, const Household& h, const QDateTime& signedAt,
                       EvidenceSendState state, const QDate& sent);
    bool writeEvidenceFiles();
    // One transaction: the batches and consents that `stage` picks.
    template <typename Batches, typename Consents>
    bool storeStage(const QList<Plan>& plans, const QList<QList<Household>>& residents,
                    Batches&& batches, Consents&& consents);

    QSqlDatabase m_db;
    shell::Ui& m_ui;
    QRandomGenerator m_rng;
    QDate m_today;
    calendar::BusinessCalendar m_calendar;
    QString m_evidenceDir;
    DemoSize m_size;
    QList<Complex> m_complexes;
    QSqlQuery m_consentInsert{m_db};
    QSqlQuery m_evidenceInsert{m_db};
    QStringList m_collectingAccounts;
    QList<QPair<QString, QByteArray>> m_files; // written after the rows are stored
    DemoSummary m_summary;
};

QString Generator::account(const QString& bank)
{
    // Draw numbers of every length until the bank's rules take one.
    for (;;) {
        const int length = 10 + m_rng.bounded(7);
        QString digits = QString::number(1 + m_rng.bounded(9));
        while (digits.size() < length)
            digits += QChar('0' + m_rng.bounded(10));
        if (store::IsValidAccount(bank, digits))
            return digits;
    }
}

QList<Household> Generator::households(const Complex& c)
{
    QList<Household> list;
    for (const QString& dong : c.dongs) {
        for (int floor = 1; floor <= c.floors; ++floor) {
            for (int unit = 1; unit <= c.unitsPerFloor; ++unit) {
                if (int(m_rng.bounded(100)) >= c.share)
                    continue;
                Household h;
                h.dong = dong;
                h.ho = QString::number(floor * 100 + unit);
                h.resident = PersonName(m_rng);
                h.holder = m_rng.bounded(5) == 0 ? HouseholdMember(m_rng, h.resident) : h.resident;
                h.bank = QString::fromLatin1(PickWeighted(m_rng, kBanks).code);
                h.account = account(h.bank);
                // The end units are the larger ones.
                const bool large = unit == 1 || unit == c.unitsPerFloor;
                h.fee = (c.baseFee * (large ? 14 : 10) / 10 + m_rng.bounded(40000)) / 10 * 10;
                h.arrears = m_rng.bounded(100) < 8;
                list.append(h);
            }
        }
    }
    assignConsents(list);
    return list;
}

// Residents who moved in or out during the four months, and the consents
// that go with their story; the status cycles make every status occur.
void Generator::assignConsents(QList<Household>& list)
{
    QList<int> order(list.size());
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), m_rng);
    const qsizetype n = list.size();
    const auto share = [n](int percent) { return qMax<qsizetype>(2, n * percent / 100); };
    qsizetype next = 0;
    const auto take = [&](qsizetype count, auto&& shape) {
        for (qsizetype i = 0; i < count && next < n; ++i, ++next)
            shape(list[order[next]], int(i));
    };
    // Moved in this month: the registration waits or has just been sent.
    take(share(6), [](Household& h, int i) {
        h.firstMonth = kMonths - 1;
        h.consent = i % 2 == 0 ? ConsentStatus::RegisterWaiting : ConsentStatus::Registering;
    });
    // Moved in earlier: registered, now and then refused by the bank.
    take(share(4), [this](Household& h, int i) {
        h.firstMonth = 1 + m_rng.bounded(2);
        h.consent = i % 3 == 2 ? ConsentStatus::RegisterFailed : ConsentStatus::Registered;
    });
    // Moving out now: the cancellation waits or has been sent.
    take(share(3), [](Household& h, int i) {
        h.lastMonth = kMonths - 2;
        h.consent = i % 2 == 0 ? ConsentStatus::CancelWaiting : ConsentStatus::Cancelling;
    });
    // Moved out earlier: cancelled, now and then refused.
    take(share(3), [this](Household& h, int i) {
        h.lastMonth = m_rng.bounded(2);
        h.consent = i % 3 == 2 ? ConsentStatus::CancelFailed : ConsentStatus::Cancelled;
    });
    // Paying by transfer without a consent on record: in the large branch
    // most households signed up before consents were kept.
    take(share(m_size == DemoSize::Large ? 72 : 2), [](Household& h, int) { h.consent.reset(); });
    while (next < n)
        list[order[next++]].consent = ConsentStatus::Registered;
}

QDate Generator::transferDate(int complex, int month) const
{
    const QDate base = m_today.addMonths(month - (kMonths - 1));
    QDate d = businessDayFrom(m_calendar,
                              QDate(base.year(), base.month(),
                                    qMin(m_complexes[complex].transferDay, base.daysInMonth())));
    // An answered batch lies far enough back for its answer to have come.
    if (d > m_today.addDays(-3))
        d = businessDayBefore(m_calendar, m_today.addDays(-2));
    return d;
}

// The large branch's three months: two answered, and this month's batch of
// every other complex sent (answered in the mailbox), the rest waiting.
QList<Plan> Generator::largePlans() const
{
    QList<Plan> list;
    for (int c = 0; c < m_complexes.size(); ++c) {
        for (int month = 1; month < kMonths - 1; ++month)
            list.append({c, month, BatchState::Received, transferDate(c, month)});
        list.append({c, kMonths - 1, c % 2 == 0 ? BatchState::Sent : BatchState::Waiting,
                     businessDayFrom(m_calendar, m_today.addDays(c % 2 == 0 ? 1 : 3))});
    }
    std::stable_sort(list.begin(), list.end(),
                     [](const Plan& a, const Plan& b) { return a.date < b.date; });
    return list;
}

QList<Plan> Generator::plans() const
{
    QList<Plan> list;
    if (m_size == DemoSize::Large)
        return largePlans();
    for (int c = 0; c < m_complexes.size(); ++c) {
        for (int month = 0; month < kMonths - 1; ++month) {
            // Last month's batch of the small complex was held back.
            const bool held = c == 2 && month == kMonths - 2;
            list.append({c, month, held ? BatchState::Blocked : BatchState::Received,
                         transferDate(c, month)});
        }
    }
    // This month: two batches wait to be sent, one has been sent.
    list.append(
        {0, kMonths - 1, BatchState::Waiting, businessDayFrom(m_calendar, m_today.addDays(3))});
    list.append(
        {1, kMonths - 1, BatchState::Sent, businessDayFrom(m_calendar, m_today.addDays(1))});
    list.append(
        {2, kMonths - 1, BatchState::Waiting, businessDayFrom(m_calendar, m_today.addDays(6))});
    std::stable_sort(list.begin(), list.end(),
                     [](const Plan& a, const Plan& b) { return a.date < b.date; });
    return list;
}

bool Generator::storeInstitutions()
{
    codes::Institutions institutions(m_db, m_ui);
    for (const Complex& c : m_complexes) {
        codes::Institution row;
        row.Name = c.name;
        row.APOUT = c.apOut;
        row.APIN = c.apIn;
        row.APPASS = c.password;
        row.APID10 = c.code;
        row.APBCODE = c.tradingBank;
        row.BankNoApt = account("12");
        row.AUTHSENDTYPE = c.evidence;
        if (!institutions.Save(row, true).saved)
            return false;
        m_collectingAccounts.append(row.BankNoApt);
        ++m_summary.institutions;
    }
    return true;
}

bool Generator::storeBatch(int aptId, const Plan& plan, const QList<Household>& list)
{
    const Complex& c = m_complexes[plan.complex];
    // This month's sent batch is stored waiting: the demo's first send, a
    // real one, makes it sent with the key its answer carries.
    const BatchState state = plan.state == BatchState::Sent ? BatchState::Waiting : plan.state;
    const bool sent = state >= BatchState::Sent;
    const bool answered = state == BatchState::Received;
    const QDate sendDate = !sent      ? QDate()
                           : answered ? businessDayBefore(m_calendar, plan.date)
                                      : businessDayBefore(m_calendar, m_today);
    const QTime time = sent ? sendTime() : QTime();
    const QDate resultDate =
        answered ? qMin(businessDayFrom(m_calendar, plan.date.addDays(1)), m_today) : QDate();
    const int month = plan.date.month();
    const int season = month == 12 || month <= 2 ? 18 : month == 7 || month == 8 ? 8 : 0;

    QSqlQuery line(m_db);
    if (!line.prepare("INSERT INTO Apt2 (AptID, DongInt, Dong, HoInt, Ho, BankCode, BankNo, "
                      "IcheDate, IcheMoney, IcheYebu, ResultID4, NapbuNo, Rdate, State, Sdate, "
                      "Stime, DataNo, Bigo, Kita) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                      "?, ?, ?, ?, ?, ?)"))
        return fail(line);
    qint64 count = 0, total = 0;
    std::array<qint64, 3> groupCount{}, groupSum{};
    for (const Household& h : list) {
        if (plan.month < h.firstMonth || plan.month > h.lastMonth)
            continue;
        const qint64 amount = h.fee * (100 + season + m_rng.bounded(9) - 4) / 1000 * 10;
        QString outcome = store::StoredValue(LineOutcome::Pending);
        QVariant result{QMetaType(QMetaType::QString)};
        if (answered) {
            const bool failed = int(m_rng.bounded(100)) < (h.arrears ? 35 : 2);
            outcome = store::StoredValue(failed ? LineOutcome::Failed : LineOutcome::Transferred);
            result =
                failed ? QString::fromLatin1(PickWeighted(m_rng, kFailures).code) : QString("0000");
        }
        ++count;
        total += amount;
        // Before the answer the groups count what was requested, after it what was collected.
        if (!answered || store::LineOutcomeFrom(outcome) == LineOutcome::Transferred) {
            const int g = int(edi::GroupOf(h.bank));
            ++groupCount[g];
            groupSum[g] += amount;
        }
        const QVariantList values = {aptId,
                                     double(h.dong.toInt()),
                                     h.dong,
                                     double(h.ho.toInt()),
                                     h.ho,
                                     h.bank,
                                     h.account,
                                     dateText(plan.date),
                                     amount,
                                     outcome,
                                     result,
                                     h.dong + h.ho,
                                     dateOrNull(resultDate),
                                     store::StoredValue(state),
                                     dateOrNull(sendDate),
                                     sent ? QVariant(time.toString("HH:mm:ss")) : QVariant(),
                                     sent ? QVariant(count) : QVariant(),
                                     h.resident,
                                     h.holder};
        for (int i = 0; i < values.size(); ++i)
            line.bindValue(i, values[i]);
        if (!line.exec())
            return fail(line);
        ++m_summary.lines;
    }

    const QDate billed = plan.date.addMonths(-1);
    QString remark =
        QString("%1년 %2월분 관리비").arg(billed.year()).arg(billed.month(), 2, 10, QChar('0'));
    if (plan.state == BatchState::Blocked)
        remark += QStringLiteral(" (부과내역 확인 후 송신)");
    QSqlQuery batch(m_db);
    if (!batch.prepare("INSERT INTO Apt1 (AptID, GiganID10, FileGubun, BankCode, MoBankNo, "
                       "IcheDate, IcheEDate, SendDate, Pass, E1TotNo, E1TotMon, E1JunNo, "
                       "E1JunMon, E1JoNo, E1JoMon, E1SucNo, E1SucMon, Rdate, State, Stime, TotNo, "
                       "TotMoney, DataNo, Bigo) VALUES (?, ?, '11', '35', ?, ?, ?, ?, ?, ?, ?, ?, "
                       "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"))
        return fail(batch);
    const QVariantList values = {aptId,
                                 c.code,
                                 m_collectingAccounts[plan.complex],
                                 dateText(plan.date),
                                 dateText(plan.date),
                                 dateOrNull(sendDate),
                                 c.password,
                                 count,
                                 total,
                                 groupCount[0],
                                 groupSum[0],
                                 groupCount[1],
                                 groupSum[1],
                                 groupCount[2],
                                 groupSum[2],
                                 dateOrNull(resultDate),
                                 store::StoredValue(state),
                                 sent ? QVariant(time.toString("HH:mm:ss")) : QVariant(),
                                 count,
                                 total,
                                 sent ? QVariant(1) : QVariant(),
                                 remark};
    for (int i = 0; i < values.size(); ++i)
        batch.bindValue(i, values[i]);
    if (!batch.exec())
        return fail(batch);
    ++m_summary.batches;
    return true;
}

bool Generator::storeConsent(const Complex& c, const Household& h)
{
    // Consents being registered or cancelled are stored waiting: the demo's
    // first send carries them, and the answer waiting in the mailbox is theirs.
    ConsentStatus status = *h.consent;
    if (status == ConsentStatus::Registering)
        status = ConsentStatus::RegisterWaiting;
    else if (status == ConsentStatus::Cancelling)
        status = ConsentStatus::CancelWaiting;
    // The household's first transfer date fixes when it signed up.
    const QDate firstTransfer = m_today.addMonths(h.firstMonth - (kMonths - 1));
    QDateTime requested(firstTransfer.addDays(-7 - m_rng.bounded(24)),
                        QTime(10 + m_rng.bounded(7), m_rng.bounded(60), m_rng.bounded(60)));
    QDateTime sent, received;
    QVariant resultCode;
    QVariant accepted;
    const auto answer = [&](const QDate& sendDay, bool ok, const auto& refusals) {
        sent = QDateTime(businessDayFrom(m_calendar, sendDay), sendTime());
        received = QDateTime(businessDayFrom(m_calendar, sent.date().addDays(1)),
                             QTime(9, m_rng.bounded(60), m_rng.bounded(60)));
        accepted = ok;
        resultCode = ok ? 0 : QString::fromLatin1(PickWeighted(m_rng, refusals).code).toInt();
    };
    switch (status) {
    case ConsentStatus::RegisterWaiting:
        requested = QDateTime(m_today.addDays(-1 - m_rng.bounded(4)), requested.time());
        break;
    case ConsentStatus::Registered:
    case ConsentStatus::RegisterFailed:
        answer(requested.date().addDays(1), status == ConsentStatus::Registered, kRegisterRefusals);
        break;
    case ConsentStatus::CancelWaiting:
        break; // the request cleared the earlier send and answer
    default:   // cancelled, or the cancellation refused
        answer(m_today.addMonths(h.lastMonth - (kMonths - 2)).addDays(-20),
               status == ConsentStatus::Cancelled, kCancelRefusals);
        break;
    }
    const QString birth =
        QDate(1950 + m_rng.bounded(50), 1 + m_rng.bounded(12), 1 + m_rng.bounded(28))
            .toString("yyMMdd");
    // Prepared once for every consent (the large branch has thousands).
    QSqlQuery& q = m_consentInsert;
    if (q.lastQuery().isEmpty() &&
        !q.prepare("INSERT INTO TongRegister (Giganid, Bankcd, Bankno, NapbuNO, Status, NAME, "
                   "Autoichedate, RequestDate, Senddate, Receivedate, ResultCD, CheckJumin, "
                   "JuminNO, ResultYN, DisplayBankno) VALUES (?, ?, ?, ?, ?, ?, 0, ?, ?, ?, ?, 1, "
                   "?, ?, ?)"))
        return fail(q);
    const auto when = [](const QDateTime& t) {
        return t.isValid() ? QVariant(stamp(t.date(), t.time())) : QVariant();
    };
    const QVariantList values = {c.code,
                                 h.bank,
                                 h.account,
                                 h.dong + h.ho,
                                 store::StoredValue(status),
                                 h.resident,
                                 when(requested),
                                 when(sent),
                                 when(received),
                                 resultCode,
                                 birth,
                                 accepted,
                                 store::DisplayBankno(h.account)};
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values[i]);
    if (!q.exec())
        return fail(q);
    ++m_summary.consents;

    // Evidence: none for an exempt complex; for a partly exempt one only some.
    const QString& kind = c.evidence;
    if (kind == QStringLiteral("면제"))
        return true;
    const bool partly = kind == QStringLiteral("일부면제");
    switch (*h.consent) {
    case ConsentStatus::RegisterWaiting:
        if (partly && m_rng.bounded(2) == 0)
            return true;
        // Mostly transmitted in the last days, so that the request may go.
        if (m_summary.consents % 5 == 0)
            return storeEvidence(c, h, requested, EvidenceSendState::NotSent, {});
        return storeEvidence(c, h, requested, EvidenceSendState::Sent,
                             m_today.addDays(-m_rng.bounded(6)));
    case ConsentStatus::Registering:
    case ConsentStatus::Cancelling:
        if (partly && m_rng.bounded(2) == 0)
            return true;
        return storeEvidence(c, h, requested, EvidenceSendState::Used,
                             businessDayBefore(m_calendar, m_today));
    default:
        if (int(m_rng.bounded(100)) >= (partly ? 15 : 30))
            return true;
        return storeEvidence(c, h, requested, EvidenceSendState::Used,
                             businessDayFrom(m_calendar, requested.date().addDays(1)));
    }
}

bool Generator::storeEvidence(const Complex& c, const Household& h, const QDateTime& signedAt,
                              EvidenceSendState state, const QDate& sent)
{
    const EvidenceKind* kind = &PickWeighted(m_rng, kKinds);
    const EvidenceSubject subject{c.code, h.dong + h.ho, h.resident, h.bank, h.account, signedAt};
    QByteArray bytes;
    switch (kind->code[0]) {
    case '2':
        bytes = SignedConsent(m_rng, subject);
        break;
    case '4':
    case '5':
        bytes = Recording(m_rng, kind->code[0] == '5');
        break;
    case '6':
        bytes = ConsentDocument(subject);
        break;
    default:
        bytes = ScannedForm(m_rng);
        break;
    }
    const QString file = c.code + "_" + subject.payer + kind->extension;
    QSqlQuery& q = m_evidenceInsert;
    if (q.lastQuery().isEmpty() &&
        !q.prepare("INSERT INTO Evidential (BANKCD, CUSTNO, CMSSERIALNO, ACCTNO, AUTHTYPE, "
                   "AUTHFILE, SENDDATE, SENDSTATE) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"))
        return fail(q);
    int i = 0;
    for (const QVariant& v : QVariantList{
             h.bank, c.code, subject.payer, h.account, kind->code, file,
             sent.isValid() ? sent.toString("yyyyMMdd") : QVariant(), store::StoredValue(state)})
        q.bindValue(i++, v);
    if (!q.exec())
        return fail(q);
    m_files.append({file, bytes});
    ++m_summary.evidence;
    return true;
}

bool Generator::writeEvidenceFiles()
{
    if (!QDir().mkpath(m_evidenceDir)) {
        m_ui.ShowError(QStringLiteral("증빙파일 폴더를 만들 수 없습니다.\r") + m_evidenceDir);
        return false;
    }
    for (const auto& [name, bytes] : m_files) {
        QFile f(m_evidenceDir + name);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.flush()) {
            m_ui.ShowError(QStringLiteral("증빙파일을 저장할 수 없습니다.\r") + f.fileName());
            return false;
        }
    }
    return true;
}

template <typename Batches, typename Consents>
bool Generator::storeStage(const QList<Plan>& plans, const QList<QList<Household>>& residents,
                           Batches&& batches, Consents&& consents)
{
    store::TransactionGuard guard(m_db);
    if (!guard.active()) {
        m_ui.ShowError(store::WriteErrorMessage(m_db.lastError()));
        return false;
    }
    if (m_summary.institutions == 0 && !storeInstitutions())
        return false;
    for (int i = 0; i < plans.size(); ++i)
        if (batches(plans[i]) && !storeBatch(i + 1, plans[i], residents[plans[i].complex]))
            return false;
    for (int c = 0; c < m_complexes.size(); ++c)
        for (const Household& h : residents[c])
            if (h.consent && consents(*h.consent) && !storeConsent(m_complexes[c], h))
                return false;
    if (!guard.commit()) {
        m_ui.ShowError(store::WriteErrorMessage(m_db.lastError()));
        return false;
    }
    const bool written = writeEvidenceFiles();
    m_files.clear();
    return written;
}

bool Generator::run(DemoSummary& summary, const std::function<bool()>& firstSend)
{
    // The dates fall on business days of the installation's own calendar.
    std::optional<calendar::BusinessCalendar> calendar = calendar::LoadBusinessCalendar(m_db, m_ui);
    if (!calendar)
        return false;
    m_calendar = std::move(*calendar);
    QList<QList<Household>> residents;
    for (const Complex& c : m_complexes)
        residents.append(households(c));
    const QList<Plan> batches = plans();
    // What waits after the demo's first send is stored after it, so that the
    // send carries exactly what the demo then shows as sent.
    const auto waitsAfterSend = [](ConsentStatus consent) {
        return consent == ConsentStatus::RegisterWaiting || consent == ConsentStatus::CancelWaiting;
    };
    if (!storeStage(
            batches, residents, [](const Plan& p) { return p.state != BatchState::Waiting; },
            [&](ConsentStatus consent) { return !waitsAfterSend(consent); }))
        return false;
    if (firstSend && !firstSend())
        return false;
    if (!storeStage(
            batches, residents, [](const Plan& p) { return p.state == BatchState::Waiting; },
            waitsAfterSend))
        return false;
    summary = m_summary;
    return true;
}

} // namespace

QString EvidenceFolder(const shell::Workspace& ws)
{
    return ws.programDir + "AUTHFILE/";
}

bool FillDemoData(store::TDM1& dm, const QString& evidenceDir, quint32 seed, DemoSummary* summary,
                  const std::function<bool()>& firstSend, DemoSize size)
{
    DemoSummary done;
    Generator generator(dm, shell::WithBackslash(evidenceDir), seed, size);
    const bool ok = generator.run(done, firstSend);
    if (summary)
        *summary = done;
    return ok;
}

} // namespace demo
