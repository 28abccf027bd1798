#pragma once

#include <QApplication>

namespace testing_support {

// One QApplication for the whole test program (offscreen).
inline QApplication& QtApp()
{
    static int argc = 1;
    static char name[] = "pelmar-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

} // namespace testing_support
