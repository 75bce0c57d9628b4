#include "testmain.h"

#include "support/testplatform.h"

#include "ui/dialogs/inputdialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace quillon;

class TestInputDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { TestPlatform::uninstall(); }
    void okChecksTheEntry_data();
    void okChecksTheEntry();
    void cancelAndSelection();

private:
    TestPlatform m_platform;
};

void TestInputDialog::init()
{
    m_platform = TestPlatform::install();
    engineState().RowPageCount = 12;
}

void TestInputDialog::okChecksTheEntry_data()
{
    QTest::addColumn<QString>("prompt"); // empty: the default, zoom entry
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message"); // empty: accepted
    QTest::addColumn<int>("icon");
    const QString notNumber = u"请输入数字。"_qs;
    const QString badZoom = u"输入比例无效。\n范围在 0.1~2之间"_qs;
    const QString badPage = u"输入页号无效。\n范围在 1 ~ 12 之间"_qs;
    const QString page = u"请输入页号："_qs;
    QTest::newRow("zoom 0.1") << ""
                              << "0.1"
                              << "" << 0;
    QTest::newRow("zoom 2") << ""
                            << "2"
                            << "" << 0;
    QTest::newRow("zoom 0.09") << ""
                               << "0.09" << badZoom << 48;
    QTest::newRow("zoom 2.5") << ""
                              << "2.5" << badZoom << 48;
    QTest::newRow("zoom 150, a percentage") << QString() << u"150"_qs << QString() << 0;
    QTest::newRow("zoom 150% as shown") << QString() << u" 150 %"_qs << QString() << 0;
    QTest::newRow("zoom 250") << QString() << u"250"_qs << badZoom << 48;
    QTest::newRow("zoom %") << QString() << u"%"_qs << notNumber << 64;
    QTest::newRow("zoom text") << ""
                               << "abc" << notNumber << 64;
    QTest::newRow("zoom empty") << ""
                                << "" << notNumber << 64;
    QTest::newRow("zoom infinite") << ""
                                   << "inf" << notNumber << 64;
    QTest::newRow("page 1") << page << "1"
                            << "" << 0;
    QTest::newRow("page 12") << page << " 12 "
                             << "" << 0;
    QTest::newRow("page 0") << page << "0" << badPage << 48;
    QTest::newRow("page 13") << page << "13" << badPage << 48;
}

void TestInputDialog::okChecksTheEntry()
{
    QFETCH(QString, prompt);
    QFETCH(QString, text);
    QFETCH(QString, message);
    QFETCH(int, icon);
    InputDialog dialog;
    QCOMPARE(dialog.objectName(), u"Dialog"_qs);
    QCOMPARE(dialog.windowTitle(), u"对话框"_qs);
    QCOMPARE(dialog.findChild<QLabel *>(u"lblPrompt"_qs)->text(), u"请输入显示比例："_qs);
    if (!prompt.isEmpty())
        dialog.setPrompt(prompt);
    dialog.setText(text);
    dialog.show();
    auto *txtInput = dialog.findChild<QLineEdit *>(u"txtInput"_qs);
    txtInput->deselect();
    QTest::mouseClick(dialog.findChild<QPushButton *>(u"OKButton"_qs), Qt::LeftButton);
    QCOMPARE(dialog.blnOk, message.isEmpty());
    QCOMPARE(dialog.isVisible(), !message.isEmpty());
    if (message.isEmpty()) {
        QVERIFY(m_platform.sink->messages().isEmpty());
        return;
    }
    QCOMPARE(m_platform.sink->messages().size(), 1);
    QCOMPARE(m_platform.sink->messages().constFirst().prompt, message);
    QCOMPARE(m_platform.sink->messages().constFirst().buttons & 0xFFFF, icon);
    QCOMPARE(txtInput->selectedText(), text);
    QCOMPARE(dialog.focusWidget(), txtInput);
}

void TestInputDialog::cancelAndSelection()
{
    InputDialog dialog;
    dialog.setText(u"0.75"_qs);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto *txtInput = dialog.findChild<QLineEdit *>(u"txtInput"_qs);
    QCOMPARE(txtInput->selectedText(), u"0.75"_qs);
    QCOMPARE(QApplication::focusWidget(), txtInput);
    QTest::keyClicks(txtInput, u"1.5"_qs); // typing replaces the selected entry
    QTest::mouseClick(dialog.findChild<QPushButton *>(u"CancelButton"_qs), Qt::LeftButton);
    QVERIFY(!dialog.blnOk);
    QVERIFY(dialog.isHidden());
    QCOMPARE(dialog.text(), u"1.5"_qs);
}

QUILLON_TEST_MAIN(TestInputDialog)
#include "tst_inputdialog.moc"
