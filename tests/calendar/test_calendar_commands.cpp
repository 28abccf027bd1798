#include "calendar/calendar_commands.h"

#include <QCryptographicHash>
#include <gtest/gtest.h>

namespace {

using Command = int (*)(const QStringList&, QTextStream&, QTextStream&);

std::tuple<int, QString, QString> Call(Command command, const QStringList& args)
{
    QString out, err;
    QTextStream o(&out), e(&err);
    const int code = command(args, o, e);
    return {code, out, err};
}

} // namespace

TEST(CalendarCommands, OneLinePerDate)
{
    EXPECT_EQ(Call(calendar::RunLunarCommand, {"2024-02-09", "2024-02-10"}),
              std::make_tuple(0, QString("2024-02-09 2023 12 30 0 1\n2024-02-10 2024 1 1 0 0\n"),
                              QString()));
    EXPECT_EQ(std::get<1>(Call(calendar::RunLunarCommand, {"2023-03-22"})),
              "2023-03-22 2023 2 1 1 0\n");
    EXPECT_EQ(std::get<1>(Call(calendar::RunHolidayCommand, {"2024-09-13", "2024-09-19"})),
              "2024-09-13 0\n2024-09-14 1\n2024-09-15 1\n2024-09-16 1\n"
              "2024-09-17 1\n2024-09-18 1\n2024-09-19 0\n");
}

TEST(CalendarCommands, BadArgumentsGiveUsageAndExitTwo)
{
    const QList<QStringList> bad = {{},
                                    {"2024-01-01", "2024-01-02", "2024-01-03"},
                                    {"2024-1-01"},
                                    {"2023-02-29"},
                                    {"2024-13-01"},
                                    {"2024-01-01x"},
                                    {"2024-01-02", "2024-01-01"},
                                    {"2024-01-01", "tomorrow"}};
    for (const QStringList& args : bad) {
        for (Command command : {calendar::RunLunarCommand, calendar::RunHolidayCommand}) {
            const auto [code, out, err] = Call(command, args);
            EXPECT_EQ(code, 2) << args.join(' ').toStdString();
            EXPECT_TRUE(out.isEmpty());
            EXPECT_TRUE(err.startsWith("pelmar-tool ") && err.contains(": FROM and TO are dates"));
        }
    }
}

TEST(CalendarCommands, WholeCenturyRangeEqualsTheIndependentReference)
{
    // SHA-256 of `python3 reference_lunar.py 1900-01-01 2100-12-31`.
    const auto [code, out, err] = Call(calendar::RunLunarCommand, {"1900-01-01", "2100-12-31"});
    ASSERT_EQ(code, 0);
    EXPECT_EQ(out.count('\n'), 73414);
    EXPECT_EQ(QCryptographicHash::hash(out.toUtf8(), QCryptographicHash::Sha256).toHex(),
              "008b2c45b3f3d85b44cdfa8ddb25059f5db4bef07295cc13e259831868cc3c93");
}
