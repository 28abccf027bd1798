#pragma once

#include "tests/support/data_fixture.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

// What every fuzz target shares: one workspace with a prepared database for
// the whole run (the tests' own fixture), and the input written where the
// reader under test looks for it.
namespace fuzzing {

class Workspace : public testing_support::DataTest
{
public:
    // The fuzz targets' workspace, set up once; the first call also makes
    // the Qt core application the readers' plugins and codecs need.
    static Workspace& Get();

    using DataTest::SetUp;
    using DataTest::TearDown;

    using DataTest::addBatch;
    using DataTest::addConsent;
    using DataTest::addInstitution;
    using DataTest::addLine;
    using DataTest::db;
    using DataTest::dm;
    using DataTest::exec;
    using DataTest::home;
    using DataTest::path;
    using DataTest::ui;
    using DataTest::workspace;

    // Writes `bytes` to `relative` under the workspace (or to an absolute
    // path), replacing what was there; returns the absolute path.
    QString put(const QString& relative, const QByteArray& bytes);

protected:
    void TestBody() override {}
};

inline QByteArray Bytes(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

} // namespace fuzzing
