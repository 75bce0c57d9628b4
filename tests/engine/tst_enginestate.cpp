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

    void pageFormatDefaults();
    void fontTableHasElevenEntries();
    void layoutAndDriverStartValues();
    void printObjectCreatedOnFirstUse();
    void jobObjectWinsAndFallsBackWhenDestroyed();
    void defaultObjectClearsLinesLikeAnyNewObject();
    void resetGivesFreshState();
};

void TestEngineState::pageFormatDefaults()
{
    const PageFormat f = engineState().Format;
    QCOMPARE(f.FullPage, 1);
    QCOMPARE(f.AutoArrange, 0);
    QCOMPARE(f.HoriCutPage, 0);
    QCOMPARE(f.MultFixCol, 0);
    QCOMPARE(f.ColorPrint, 1);
    QCOMPARE(f.Cutline, 0);
    QCOMPARE(f.Cyline, 1);
    QCOMPARE(f.ReduceFont, 1);
    QCOMPARE(f.PrintDate, 1);
    QCOMPARE(f.PrintOperator, 1);
    QCOMPARE(f.PrintPageNo, 1);
    QCOMPARE(f.GridColor, 32768);
    QCOMPARE(f.JeLineColor, -1);
    QCOMPARE(f.DotLineColor, -1);
    QCOMPARE(f.LogPicPrt, 0);
    QCOMPARE(f.LogPicLoc, 0);
    QCOMPARE(f.LogTextPrt, 0);
    QCOMPARE(f.LogTextLoc, 1);
    QVERIFY(f.LogPic.isEmpty());
    QVERIFY(f.LogText.isEmpty());
    // The property-backed values start at the print object's defaults.
    QCOMPARE(f.Top, 10);
    QCOMPARE(f.Bottom, 5);
    QCOMPARE(f.Left, 5);
    QCOMPARE(f.Right, 5);
    QCOMPARE(f.PaperOriention, 1);
}

void TestEngineState::fontTableHasElevenEntries()
{
    EngineState &s = engineState();
    QCOMPARE(s.FontTable.size(), std::size_t(11));
    s.FontTable[10].Name = u"黑体"_qs;
    s.FontTable[10].Size = 10.5;
    QCOMPARE(s.FontTable[10].Size, 10.5);
}

void TestEngineState::layoutAndDriverStartValues()
{
    const EngineState &s = engineState();
    QCOMPARE(s.ZoomRate, 1.0);
    QCOMPARE(s.PagesAcross, 1);
    QCOMPARE(s.PagesDown, 1);
    QCOMPARE(s.ColPageCount, 1);
    QCOMPARE(s.LinesPerPage, 1);
    QCOMPARE(s.CurRowPage, 1);
    QCOMPARE(s.CurColPage, 1);
    QCOMPARE(s.CurSheet, 1);
    QCOMPARE(s.SheetNav[0], false);
    QCOMPARE(s.SheetNav[1], false);
    QCOMPARE(s.DrawTarget, nullptr);
    QCOMPARE(s.HeadLines.lastRow(), 0);
    QCOMPARE(s.SavedFootLines.lastRow(), 0);
}

void TestEngineState::printObjectCreatedOnFirstUse()
{
    EngineState &s = engineState();
    QVERIFY(!s.hasPrintObject());
    PrintProperties *object = s.printObject();
    QVERIFY(object);
    QCOMPARE(object->PrintKeyName, u"DefaultFormat"_qs);
    QCOMPARE(object->TopMargin, 10);
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
