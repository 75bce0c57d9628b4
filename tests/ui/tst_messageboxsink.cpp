#include "testmain.h"

#include "ui/messageboxsink.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

using namespace quillon;

class TestMessageBoxSink : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showsTitledBoxAndReturnsTheButton_data();
    void showsTitledBoxAndReturnsTheButton();
    void escapeAnswersCancel();
};

namespace {

/// Acts on the message box as soon as it is shown, and remembers what it showed.
struct BoxWatcher
{
    QString title, text;
    QStringList buttons;
    QString defaultButton;
    bool onTop = false;
    QMessageBox::Icon icon = QMessageBox::NoIcon;

    void act(const std::function<void(QMessageBox *)> &action)
    {
        QTimer::singleShot(0, [this, action] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            for (QAbstractButton *b : box->buttons())
                buttons << b->text();
            defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
            action(box);
        });
    }
};

} // namespace

void TestMessageBoxSink::showsTitledBoxAndReturnsTheButton_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("press");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("buttonCount");
    QTest::addColumn<int>("icon");
    QTest::newRow("OK, exclamation")
        << (0x10000 | 48) << int(QMessageBox::Ok) << 1 << 1 << int(QMessageBox::Warning);
    QTest::newRow("Yes/No, question, No")
        << (4 | 32) << int(QMessageBox::No) << 7 << 2 << int(QMessageBox::Question);
    QTest::newRow("Yes/No/Cancel, Cancel")
        << 3 << int(QMessageBox::Cancel) << 2 << 3 << int(QMessageBox::NoIcon);
    QTest::newRow("critical") << 16 << int(QMessageBox::Ok) << 1 << 1 << int(QMessageBox::Critical);
}

void TestMessageBoxSink::showsTitledBoxAndReturnsTheButton()
{
    QFETCH(int, code);
    QFETCH(int, press);
    QFETCH(int, result);
    QFETCH(int, buttonCount);
    QFETCH(int, icon);
    MessageBoxSink sink;
    BoxWatcher watcher;
    watcher.act(
        [press](QMessageBox *box) { box->button(QMessageBox::StandardButton(press))->click(); });
    QCOMPARE(sink.show(u"保存页面格式吗？"_qs, code, u"打印预览"_qs), result);
    QCOMPARE(watcher.title, u"打印预览"_qs);
    QCOMPARE(watcher.text, u"保存页面格式吗？"_qs);
    QCOMPARE(watcher.buttons.size(), buttonCount);
    QCOMPARE(int(watcher.icon), icon);
    QCOMPARE(watcher.onTop, bool(code & 0x10000));
}

void TestMessageBoxSink::escapeAnswersCancel()
{
    MessageBoxSink sink;
    BoxWatcher watcher;
    watcher.act([](QMessageBox *box) { QTest::keyClick(box, Qt::Key_Escape); });
    QCOMPARE(sink.show(u"继续吗？"_qs, 1 | 0x100, u"t"_qs), 2);
    QCOMPARE(watcher.defaultButton,
        QMessageBox(QMessageBox::NoIcon, {}, {}, QMessageBox::Cancel)
            .button(QMessageBox::Cancel)
            ->text());
}

QUILLON_TEST_MAIN(TestMessageBoxSink)
#include "tst_messageboxsink.moc"
