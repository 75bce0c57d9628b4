#pragma once

// The main() of the tests that print on a private CUPS scheduler.

#include "privatecups.h"

#include <QApplication>
#include <QtTest>

#include <cstdio>
#include <functional>

/// The main() of a test that runs against a scheduler of its own: offscreen widgets, the
/// scheduler started and put in `*global` (exit code 77, which CTest reports as skipped, when it
/// cannot start), `prepare` run before the application is made, then the test's slots.
template <typename Test>
int runWithPrivateCups(int argc, char **argv, PrivateCups **global,
    const std::function<void(PrivateCups &)> &prepare = {})
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    PrivateCups cups;
    QString why;
    if (!cups.start(&why)) {
        std::fprintf(stderr, "SKIP: no private CUPS scheduler here: %s\n", qPrintable(why));
        return 77;
    }
    *global = &cups;
    if (prepare)
        prepare(cups);
    QApplication app(argc, argv);
    Test test;
    return QTest::qExec(&test, argc, argv);
}
