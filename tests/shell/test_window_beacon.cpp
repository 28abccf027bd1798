// The window beacon: a second start asks the running window to come to the
// front; a probe only learns that it runs.

#include "platform/window_beacon.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <QUuid>
#include <gtest/gtest.h>

namespace {

QCoreApplication& app()
{
    static int argc = 1;
    static char name[] = "test-beacon";
    static char* argv[] = {name, nullptr};
    static auto* instance = new QCoreApplication(argc, argv);
    return *instance;
}

TEST(WindowBeacon, ARaiseRequestReachesTheRunningWindowAndAProbeDoesNot)
{
    app();
    const QString title = "beacon-" + QUuid::createUuid().toString(QUuid::WithoutBraces);
    EXPECT_FALSE(platform::WindowBeacon::AskToRaise(title));

    platform::WindowBeacon beacon;
    int raised = 0;
    QEventLoop loop;
    beacon.SetRaiseHandler([&] {
        ++raised;
        loop.quit();
    });
    ASSERT_TRUE(beacon.Raise(title));

    EXPECT_TRUE(platform::WindowBeacon::Exists(title));
    ASSERT_TRUE(platform::WindowBeacon::AskToRaise(title));
    // Only a guard against a hang: the request ends the loop.
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(raised, 1);

    beacon.Lower();
    EXPECT_FALSE(platform::WindowBeacon::AskToRaise(title));
}

} // namespace
