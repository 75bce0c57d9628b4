#include "testmain.h"

#include "ui/messageboxsink.h"

#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTranslator>

using namespace quillon;

class TestMessageBoxSink : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showsTitledBoxAndReturnsTheButton_data();
    void showsTitledBoxAndReturnsTheButton();
    void escapeAnswersCancel();
    void untitledBoxSaysWhose();
    // Last: Qt's Chinese texts stay for the rest of the process.
    void qtButtonsInTheUsersLanguage_data();
    void qtButtonsInTheUsersLanguage();
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

void TestMessageBoxSink::untitledBoxSaysWhose()
{
    // The program's name while no window is in front, then the window's title.
    MessageBoxSink sink;
    QWidget front;
    front.setWindowTitle(u"销售报表"_qs);
    for (const QString &title : { QCoreApplication::applicationName(), front.windowTitle() }) {
        if (title == front.windowTitle()) {
            front.show();
            front.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&front));
        }
        BoxWatcher watcher;
        watcher.act([](QMessageBox *box) { box->button(QMessageBox::Ok)->click(); });
        sink.show(u"完成"_qs, 0, QString());
        QCOMPARE(watcher.title, title);
    }
}

void TestMessageBoxSink::qtButtonsInTheUsersLanguage_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("hostCatalogue"); // a translator of Qt's texts the host installed
    QTest::addColumn<QStringList>("buttons"); // sorted
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    QTest::newRow("English: Qt's own")
        << QLocale(QLocale::English, QLocale::UnitedStates) << QString()
        << QStringList { u"&No"_qs, u"&Yes"_qs, u"Cancel"_qs };
    QTest::newRow("the host's German kept")
        << chinese << u"qtbase_de"_qs << QStringList { u"&Ja"_qs, u"&Nein"_qs, u"Abbrechen"_qs };
    QTest::newRow("Chinese") << chinese << QString()
                             << QStringList { u"取消"_qs, u"否(&N)"_qs, u"是(&Y)"_qs };
}

void TestMessageBoxSink::qtButtonsInTheUsersLanguage()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, hostCatalogue);
    QFETCH(QStringList, buttons);
    QLocale::setDefault(locale);
    QTranslator host;
    if (!hostCatalogue.isEmpty()) {
        QVERIFY(host.load(hostCatalogue, QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
        QCoreApplication::installTranslator(&host);
    }
    MessageBoxSink sink;
    BoxWatcher watcher;
    watcher.act([](QMessageBox *box) { box->button(QMessageBox::No)->click(); });
    QCOMPARE(sink.show(u"保存页面格式吗？"_qs, 3, u"打印预览"_qs), 7);
    watcher.buttons.sort();
    QCOMPARE(watcher.buttons, buttons);
}

QUILLON_TEST_MAIN(TestMessageBoxSink)
#include "tst_messageboxsink.moc"
