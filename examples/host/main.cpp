// A small host program: creates the print object, sets properties early- and late-bound,
// hands it a grid and adds header lines; then two threads export two reports at once, each
// with a print object and an export of its own.
#include <quillon/flexgrid.h>
#include <quillon/myprint.h>
#include <quillon/reportexport.h>

#include <QDir>
#include <QGuiApplication>
#include <QMetaProperty>
#include <QTemporaryDir>
#include <QTextStream>

#include <thread>

namespace {

/// What one host thread does: a grid of its own, a print object, an export to PDF.
QString exportReport(const QString &title, int rows, const QString &pdf)
{
    quillon::FlexGrid grid;
    QList<QStringList> texts { { QStringLiteral("序号"), QStringLiteral("客户"),
        QStringLiteral("金额") } };
    for (int r = 1; r <= rows; ++r)
        texts.append({ QString::number(r), QStringLiteral("客户%1").arg(r),
            QString::number(r * 12.5, 'f', 2) });
    grid.setTexts(texts);
    grid.setFixedRows(1);
    quillon::MyPrint print;
    print.setDatagrid(&grid);
    print.setGridType(quillon::MyPrint::MnuGridType::ssMsflexGrid);
    print.setMainTitle(title);
    print.setProperty("PrintKeyName", title);
    print.AddHead(QStringLiteral("单位:元"), 1, 1, 0); // this thread's lines only
    quillon::ReportExport report(print);
    // Nobody to ask on a worker thread: the messages are only collected.
    QStringList messages;
    report.setMessageHandler([&messages](const QString &text, int) {
        messages << text;
        return 1;
    });
    if (!report.toPdf(pdf))
        return QStringLiteral("%1: %2").arg(title, report.errorString());
    return QStringLiteral("%1: %2 sheets, %3 messages")
        .arg(title)
        .arg(report.sheetCount())
        .arg(messages.size());
}

} // namespace

int main(int argc, char **argv)
{
    // Fonts need a GUI application; without a display it draws offscreen.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);

    quillon::FlexGrid grid;
    grid.setTexts({ { QStringLiteral("日期"), QStringLiteral("客户"), QStringLiteral("金额") },
        { QStringLiteral("2026-12-07"), QStringLiteral("华东公司"), QStringLiteral("1,280.00") } });
    grid.setFixedRows(1);

    quillon::MyPrint print;
    print.setDatagrid(&grid);
    print.setGridType(quillon::MyPrint::MnuGridType::ssMsflexGrid);
    print.setMainTitle(QStringLiteral("销售日报"));
    print.setProperty("PrintKeyName", QStringLiteral("销售日报")); // late-bound, by name
    print.AddHead(QStringLiteral("单位:元"), 1, 1, 0);
    print.AddHead(QStringLiteral("2026年12月"), 0, 5, 0);

    const QMetaObject *mo = print.metaObject();
    for (int i = mo->propertyOffset(); i < mo->propertyCount(); ++i) {
        const QMetaProperty p = mo->property(i);
        const QVariant value = p.read(&print);
        const QString text = p.isEnumType() ? QString::number(value.toInt()) : value.toString();
        out << p.name() << " = " << text << '\n';
    }
    out << "properties: " << mo->propertyCount() - mo->propertyOffset() << '\n';
    const bool holdsGrid = print.property("Datagrid").value<QObject *>() == &grid;
    out << "Datagrid holds the grid: " << (holdsGrid ? "yes" : "no") << '\n';

    QTemporaryDir dir;
    QString first, second;
    {
        std::jthread a(
            [&] { first = exportReport(QStringLiteral("月报"), 400, dir.filePath("a.pdf")); });
        std::jthread b(
            [&] { second = exportReport(QStringLiteral("年报"), 900, dir.filePath("b.pdf")); });
    }
    out << "exported at once: " << first << "; " << second << '\n';
    return 0;
}
