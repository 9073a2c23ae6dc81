#pragma once

// The main of a window test, in place of QTEST_MAIN. Where no display is
// named (no DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM), the test runs on
// the offscreen platform instead of aborting; the platform has to be chosen
// before the application object exists.

#include <QTest>

#define QUELLBIT_GUI_TEST_MAIN(Application, TestObject) \
    int main(int argc, char **argv) \
    { \
        if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") \
            && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) \
            qputenv("QT_QPA_PLATFORM", "offscreen"); \
        Application app(argc, argv); \
        TestObject test; \
        return QTest::qExec(&test, argc, argv); \
    }
