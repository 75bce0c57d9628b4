#pragma once

#include <QApplication>
#include <QtTest>

// Test binaries also run outside CTest (test discovery, by hand): default to the offscreen
// platform so that no display is needed, and keep the machine's settings file out of reach.
#define QUILLON_TEST_MAIN(TestObject)                                                              \
    int main(int argc, char **argv)                                                                \
    {                                                                                              \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                        \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                               \
        QApplication app(argc, argv);                                                              \
        if (qEnvironmentVariableIsEmpty("XDG_CONFIG_DIRS"))                                        \
            qputenv("XDG_CONFIG_DIRS",                                                             \
                QCoreApplication::applicationDirPath().toUtf8() + "/no-machine-settings");         \
        TestObject tc;                                                                             \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
