#pragma once

#include "tests/support/scripted_ui.h"

#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace shell {
struct Workspace;
}

namespace testing_support {

// A fresh ProgramDir and registry folder per test; the workspace paths
// point into it and the clock is frozen at a fixed moment.
class WorkspaceTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    QString home() const { return m_home.path() + "/"; }
    // The workspace loaded on home(), as a program hands it down; the test
    // owns it as the program's main() does.
    shell::Workspace& workspace() const { return *m_ws; }
    QString path(const QString& relative) const { return home() + relative; }
    void writeFile(const QString& relative, const QByteArray& bytes) const;
    QByteArray readFile(const QString& relative) const;

    ScriptedUi ui;

private:
    std::shared_ptr<shell::Workspace> m_ws;
    QTemporaryDir m_home;
    QTemporaryDir m_registry;
};

} // namespace testing_support
