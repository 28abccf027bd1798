#include "platform/ini_file.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(IniFile, WholeNumbersFallBackWhenMissingOrNotANumber)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("t.ini");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(
        "[Preference]\r\ncx=669\r\ncy= 12 \r\nx=-7\r\nbad=12a\r\nempty=\r\nbig=99999999999\r\n");
    f.close();
    platform::IniFile ini(path);
    ASSERT_TRUE(ini.load());

    struct Case
    {
        const char* section;
        const char* key;
        int expected;
    };
    const Case cases[] = {
        {"Preference", "cx", 669}, {"preference", "CY", 12},   {"Preference", "x", -7},
        {"Preference", "bad", 5},  {"Preference", "empty", 5}, {"Preference", "big", 5},
        {"Preference", "none", 5}, {"Other", "cx", 5},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ini.intValue(c.section, c.key, 5), c.expected) << c.section << "/" << c.key;
}
