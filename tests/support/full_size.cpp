#include "tests/support/full_size.h"

#include "store/database.h"

#include <QDate>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace testing_support {

QString FillFullSizeBatches(const QString& dbFile, int batches, int linesPerBatch)
{
    const QString connection = QStringLiteral("full_size");
    const platform::Result<> r = store::OpenDatabase(connection, dbFile);
    if (!r)
        return r.error();
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::database(connection, false);
        QSqlQuery q(db);
        db.transaction();
        q.exec("INSERT INTO UserCode (Name, APOUT, APIN, APPASS, APID10, APBCODE, BankNoApt, "
               "TREGISTEROUT, TREGISTERIN, AUTHSENDTYPE) VALUES ('푸른마을아파트', 'AB100', "
               "'AB200', 'pw', 'A123456789', 'BK12345', '301-0123-4567-81', 'NA200', 'NA200', "
               "'제출')");
        QSqlQuery batch(db), line(db);
        batch.prepare(
            "INSERT INTO Apt1 (AptID, GiganID10, FileGubun, BankCode, MoBankNo, IcheDate, "
            "IcheEDate, Pass, State) VALUES (?, 'A123456789', '11', '35', "
            "'301-0123-4567-81', ?, ?, 'pw', 1)");
        line.prepare(
            "INSERT INTO Apt2 (AptID, DongInt, Dong, HoInt, Ho, BankCode, BankNo, IcheDate, "
            "IcheMoney, IcheYebu, State, NapbuNo, Bigo, Kita) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, 'Z', 1, ?, '입주자', '예금주')");
        const char* banks[] = {"11", "13", "04", "20"};
        for (int b = 1; b <= batches && error.isEmpty(); ++b) {
            const QString date = QDate(2024, 3, 18).addDays(b % 4).toString(Qt::ISODate);
            batch.addBindValue(b);
            batch.addBindValue(date);
            batch.addBindValue(date);
            if (!batch.exec())
                error = batch.lastError().text();
            for (int i = 0; i < linesPerBatch && error.isEmpty(); ++i) {
                const QString dong = QString::number(100 + i / 100);
                const QString ho = QString::number(101 + i % 100);
                line.addBindValue(b);
                line.addBindValue(dong.toInt());
                line.addBindValue(dong);
                line.addBindValue(ho.toInt());
                line.addBindValue(ho);
                line.addBindValue(banks[i % 4]);
                line.addBindValue(QString("3010%1").arg(b * 100000 + i, 9, 10, QChar('0')));
                line.addBindValue(date);
                line.addBindValue(10000 + i * 10);
                line.addBindValue(dong + ho);
                if (!line.exec())
                    error = line.lastError().text();
            }
        }
        if (error.isEmpty() && !db.commit())
            error = db.lastError().text();
        if (!error.isEmpty())
            db.rollback();
    }
    store::CloseDatabase(connection);
    return error;
}

} // namespace testing_support
