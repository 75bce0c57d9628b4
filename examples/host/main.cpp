// A small host program: creates the print object, sets properties early- and late-bound,
// hands it a grid and adds header lines.
#include <quillon/flexgrid.h>
#include <quillon/myprint.h>

#include <QCoreApplication>
#include <QMetaProperty>
#include <QTextStream>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
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
    return 0;
}
