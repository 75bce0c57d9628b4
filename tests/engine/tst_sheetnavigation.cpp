#include "support/testplatform.h"
#include "testmain.h"

#include "engine/layout/sheetnavigation.h"
#include "engine/state/enginestate.h"

using namespace quillon;

Q_DECLARE_METATYPE(quillon::SheetMove)

// The sheet commands on a laid-out job: where each lands, and when it does nothing.
class TestSheetNavigation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { TestPlatform::install(); }
    void cleanup() { TestPlatform::uninstall(); }
    void move_data();
    void move();
};

void TestSheetNavigation::move_data()
{
    QTest::addColumn<QList<int>>("layout"); // row bands, column bands, pages down, across
    QTest::addColumn<QList<int>>("from"); // row band, column band, sheet
    QTest::addColumn<QList<bool>>("nav"); // SheetNav (0), (1) as the sheet on screen left it
    QTest::addColumn<SheetMove>("move");
    QTest::addColumn<bool>("applies");
    QTest::addColumn<QList<int>>("to"); // row band, column band, sheet in the preview

    const QList<int> fiveByOneTwoASheet { 5, 1, 2, 1 };
    QTest::newRow("next from the first of 2 a sheet")
        << fiveByOneTwoASheet << QList<int> { 1, 1, 1 } << QList<bool> { true, false }
        << SheetMove::Next << true << QList<int> { 3, 1, 2 };
    QTest::newRow("last with one logical page on it")
        << fiveByOneTwoASheet << QList<int> { 1, 1, 1 } << QList<bool> { true, false }
        << SheetMove::Last << true << QList<int> { 5, 1, 3 };
    QTest::newRow("previous from the last sheet")
        << fiveByOneTwoASheet << QList<int> { 5, 1, 3 } << QList<bool> { false, true }
        << SheetMove::Previous << true << QList<int> { 3, 1, 2 };
    QTest::newRow("last over two column bands, four a sheet")
        << QList<int> { 3, 2, 2, 2 } << QList<int> { 1, 1, 1 } << QList<bool> { true, false }
        << SheetMove::Last << true << QList<int> { 3, 1, 2 };
    QTest::newRow("next steps column bands first")
        << QList<int> { 3, 3, 1, 2 } << QList<int> { 1, 3, 2 } << QList<bool> { false, false }
        << SheetMove::Next << true << QList<int> { 2, 2, 3 };
    QTest::newRow("previous from a sheet started by a page number entry")
        << fiveByOneTwoASheet << QList<int> { 2, 1, 2 } << QList<bool> { false, false }
        << SheetMove::Previous << true << QList<int> { 1, 1, 1 };
    QTest::newRow("first") << fiveByOneTwoASheet << QList<int> { 3, 1, 2 }
                           << QList<bool> { false, false } << SheetMove::First << true
                           << QList<int> { 1, 1, 1 };
    QTest::newRow("first on the first sheet does nothing")
        << fiveByOneTwoASheet << QList<int> { 1, 1, 1 } << QList<bool> { true, false }
        << SheetMove::First << false << QList<int> { 1, 1, 1 };
    QTest::newRow("previous on the first sheet does nothing")
        << fiveByOneTwoASheet << QList<int> { 1, 1, 1 } << QList<bool> { true, false }
        << SheetMove::Previous << false << QList<int> { 1, 1, 1 };
    QTest::newRow("next on the last sheet does nothing")
        << fiveByOneTwoASheet << QList<int> { 5, 1, 3 } << QList<bool> { false, true }
        << SheetMove::Next << false << QList<int> { 5, 1, 3 };
    QTest::newRow("last on the last sheet does nothing")
        << fiveByOneTwoASheet << QList<int> { 5, 1, 3 } << QList<bool> { false, true }
        << SheetMove::Last << false << QList<int> { 5, 1, 3 };
}

void TestSheetNavigation::move()
{
    QFETCH(QList<int>, layout);
    QFETCH(QList<int>, from);
    QFETCH(QList<bool>, nav);
    QFETCH(SheetMove, move);
    QFETCH(bool, applies);
    QFETCH(QList<int>, to);

    for (const bool keepSheetNumber : { true, false }) {
        EngineState &s = engineState();
        s.RowPageCount = layout[0];
        s.ColPageCount = layout[1];
        s.PagesDown = layout[2];
        s.PagesAcross = layout[3];
        s.SheetCount
            = (layout[0] * layout[1] + layout[2] * layout[3] - 1) / (layout[2] * layout[3]);
        s.CurRowPage = from[0];
        s.CurColPage = from[1];
        s.CurSheet = from[2];
        s.SheetNav = { nav[0], nav[1] };
        QCOMPARE(MoveSheet(engineState(), move, keepSheetNumber), applies);
        QCOMPARE(QList<int>({ s.CurRowPage, s.CurColPage }), to.mid(0, 2));
        // Only the preview keeps the sheet number.
        QCOMPARE(s.CurSheet, keepSheetNumber ? to[2] : from[2]);
        QCOMPARE(s.SheetNav, (std::array<bool, 2> { nav[0], nav[1] }));
    }
}

QUILLON_TEST_MAIN(TestSheetNavigation)
#include "tst_sheetnavigation.moc"
