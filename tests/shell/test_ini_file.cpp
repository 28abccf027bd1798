#include "platform/ini_file.h"

#include <QFile>
#include <QFileInfo>
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

namespace {

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

} // namespace

// A file is kept once read, but every change shows at the next load: a save
// through another IniFile, and another writer's rewrite in place to the same
// size a moment later (file times are coarse).
TEST(IniFile, WhatWasReadFollowsEveryChange)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Firm.ini");
    WriteBytes(path, "[General]\r\nApt=5\r\n");
    platform::IniFile reader(path);
    ASSERT_TRUE(reader.load());
    EXPECT_EQ(reader.intValue("General", "Apt", 0), 5);

    platform::IniFile writer(path);
    ASSERT_TRUE(writer.load());
    writer.setValue("General", "Apt", "7");
    ASSERT_TRUE(writer.save());
    ASSERT_TRUE(reader.load());
    EXPECT_EQ(reader.intValue("General", "Apt", 0), 7);

    for (const char digit : {'8', '9', '6'}) {
        WriteBytes(path, QByteArray("[General]\r\nApt=") + digit + "\r\n");
        ASSERT_TRUE(reader.load());
        EXPECT_EQ(reader.intValue("General", "Apt", 0), digit - '0');
    }
}

// A file that did not read is never saved over (it would keep only what was
// set), and a link is read through but never written through.
TEST(IniFile, NeverSavedOverWhatDidNotReadNorThroughALink)
{
    QTemporaryDir dir;
    const QString big = dir.filePath("big.ini");
    const QByteArray bigBytes = "[General]\r\n" + QByteArray(2 * 1024 * 1024, ';');
    WriteBytes(big, bigBytes);
    const QString target = dir.filePath("target.ini");
    WriteBytes(target, "[General]\r\nApt=5\r\n");
    const QString link = dir.filePath("Firm.ini");
    ASSERT_TRUE(QFile::link(target, link));

    const struct
    {
        QString path;
        bool reads;
        QByteArray stays;
        QString stayingFile;
    } cases[] = {{big, false, bigBytes, big}, {link, true, "[General]\r\nApt=5\r\n", target}};
    for (const auto& c : cases) {
        platform::IniFile ini(c.path);
        const platform::Result<> read = ini.load();
        EXPECT_EQ(read.ok(), c.reads) << c.path.toStdString();
        EXPECT_EQ(ini.intValue("General", "Apt", 0), c.reads ? 5 : 0);
        if (!read) {
            EXPECT_TRUE(read.error().contains(c.path)) << read.error().toStdString();
        }
        ini.setValue("General", "Apt", "9");
        const platform::Result<> saved = ini.save();
        EXPECT_FALSE(saved) << c.path.toStdString();
        EXPECT_TRUE(saved.error().contains(c.path)) << saved.error().toStdString();
        QFile f(c.stayingFile);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), c.stays) << c.path.toStdString();
    }
    EXPECT_TRUE(QFileInfo(link).isSymLink());
}
