#include "api/myprint_p.h"
#include "testmain.h"

#include "engine/state/enginestate.h"

#include <quillon/myprint.h>

using namespace quillon;

class TestEngineState : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { resetEngineState(); }

    void printObjectCreatedOnFirstUse();
    void jobObjectWinsAndFallsBackWhenDestroyed();
    void defaultObjectClearsLinesLikeAnyNewObject();
    void resetGivesFreshState();
};

void TestEngineState::printObjectCreatedOnFirstUse()
{
    EngineState &s = engineState();
    QVERIFY(!s.hasPrintObject());
    PrintProperties *object = s.printObject();
    QVERIFY(object);
    QCOMPARE(s.printObject(), object); // created once
}

void TestEngineState::jobObjectWinsAndFallsBackWhenDestroyed()
{
    EngineState &s = engineState();
    auto job = std::make_unique<MyPrint>();
    job->setPrintKeyName(u"月报"_qs);
    s.setPrintObject(&MyPrintPrivate::get(*job));
    QCOMPARE(s.printObject(), &MyPrintPrivate::get(*job));

    job.reset();
    PrintProperties *fallback = s.printObject();
    QVERIFY(fallback);
    QCOMPARE(fallback->PrintKeyName, u"DefaultFormat"_qs);
}

void TestEngineState::defaultObjectClearsLinesLikeAnyNewObject()
{
    MyPrint host;
    host.AddHead(u"a"_qs, 1, 0, 0);
    EngineState &s = engineState();
    QCOMPARE(s.HeadLines.lastRow(), 1);
    s.printObject();
    QCOMPARE(s.HeadLines.lastRow(), 0);
}

void TestEngineState::resetGivesFreshState()
{
    engineState().GridRows = 42;
    engineState().Format.HoriCutPage = 1;
    engineState().printObject();
    resetEngineState();
    QCOMPARE(engineState().GridRows, 0);
    QCOMPARE(engineState().Format.HoriCutPage, 0);
    QVERIFY(!engineState().hasPrintObject());
}

QUILLON_TEST_MAIN(TestEngineState)
#include "tst_enginestate.moc"
