// Every kept input goes through its reader in a fresh workspace: the file
// must be read or refused, never crash, hang or ask a question.

#include "fuzz/readers.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <memory>

namespace {

QByteArray contents(const QString& path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

TEST(FuzzRegressions, EveryKeptInputIsReadOrRefused)
{
    const QDir inputs(PELMAR_FUZZ_INPUTS);
    int replayed = 0;
    for (const QString& name : inputs.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const fuzzing::Reader* reader = fuzzing::FindReader(name.toUtf8().constData());
        ASSERT_NE(reader, nullptr) << "no reader for inputs/" << name.toStdString();
        const QDir dir(inputs.filePath(name));
        for (const QString& file : dir.entryList(QDir::Files, QDir::Name)) {
            SCOPED_TRACE((name + "/" + file).toStdString());
            auto w = std::make_unique<fuzzing::Workspace>();
            w->SetUp();
            ASSERT_FALSE(HasFatalFailure());
            reader->setup(*w);
            reader->feed(*w, contents(dir.filePath(file)));
            w->TearDown();
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0);
}

} // namespace
