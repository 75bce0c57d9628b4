#include "api/gridfile/gridfilereader_p.h"

#include "engine/grids/gridaccess.h"

#include <quillon/datagrid.h>
#include <quillon/error.h>
#include <quillon/flexgrid.h>
#include <quillon/formatfields.h>
#include <quillon/gridfile.h>
#include <quillon/myprint.h>
#include <quillon/vouchergrid.h>

#include <QFile>
#include <QFileInfo>
#include <QMetaEnum>
#include <QMetaProperty>

#include <climits>
#include <functional>
#include <new>

namespace quillon {

namespace {

/// Values that make sense for a property set by name: outside them a page prints blank,
/// clipped or one row a sheet. A property that supplies a page-format value (margins, page
/// size, rows) takes the values that the format keeps instead (formatFieldOf).
struct PropertyRange
{
    const char *name;
    qint32 low;
    qint32 high;
};

constexpr PropertyRange kPropertyRanges[] = {
    { "RowHeight", 0, 32767 },
    { "MinTitleLen", 0, 1000 },
    { "FixRowsHeight", 0, 1000 },
    { "ZoomRatio", 1, 20 },
    { "gridrows", 0, INT_MAX },
    { "HeadCount", 0, 100 },
    { "FootCount", 0, 100 },
};

QString enumMembers(const QMetaEnum &e)
{
    QStringList members;
    for (int i = 0; i < e.keyCount(); ++i)
        members << QStringLiteral("%1=%2").arg(QLatin1String(e.key(i))).arg(e.value(i));
    return members.join(QStringLiteral("、"));
}

/// The page-format value whose default the property supplies, if any.
const FormatField *formatFieldOf(const char *property)
{
    for (const FormatField &field : formatFields()) {
        if (field.property == QLatin1String(property))
            return &field;
    }
    return nullptr;
}

const PropertyRange *propertyRange(const char *name)
{
    for (const PropertyRange &range : kPropertyRanges) {
        if (qstrcmp(range.name, name) == 0)
            return &range;
    }
    return nullptr;
}

} // namespace

bool convertProperty(const QMetaProperty &property, const QString &name, const QVariant &value,
    QVariant *converted, QString *error)
{
    const auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    const QString text = value.toString().trimmed();
    const int type = property.metaType().id();
    if (property.isEnumType()) {
        bool isNumber = false;
        const qlonglong n = text.toLongLong(&isNumber);
        if (isNumber) {
            if (n < INT_MIN || n > INT_MAX || !property.enumerator().valueToKey(int(n)))
                return fail(QStringLiteral("属性 %1 不接受 %2（可用：%3）")
                                .arg(name, text, enumMembers(property.enumerator())));
            *converted = int(n);
        } else {
            bool known = false;
            const int v = property.enumerator().keyToValue(text.toLatin1().constData(), &known);
            if (!known)
                return fail(QStringLiteral("属性 %1 不接受“%2”（可用：%3）")
                                .arg(name, text, enumMembers(property.enumerator())));
            *converted = v;
        }
    } else if (type == QMetaType::QString) {
        *converted = value.toString();
    } else if (type == QMetaType::Bool) {
        const QString t = text.toLower();
        if (t == QLatin1String("true") || t == QLatin1String("1") || t == QLatin1String("-1")
            || t == QLatin1String("yes"))
            *converted = true;
        else if (t == QLatin1String("false") || t == QLatin1String("0") || t == QLatin1String("no"))
            *converted = false;
        else
            return fail(QStringLiteral("属性 %1 应为 true 或 false，而不是“%2”").arg(name, text));
    } else if (type == QMetaType::Short || type == QMetaType::Int) {
        bool ok = false;
        const qlonglong n = text.toLongLong(&ok);
        const PropertyRange *range = propertyRange(property.name());
        const qlonglong low = range ? range->low : type == QMetaType::Short ? -32768 : INT_MIN;
        const qlonglong high = range ? range->high : type == QMetaType::Short ? 32767 : INT_MAX;
        if (!ok)
            return fail(QStringLiteral("属性 %1 应为整数，而不是“%2”").arg(name, text));
        if (const FormatField *field = formatFieldOf(property.name())) {
            if (!field->allows(n))
                return fail(QStringLiteral("属性 %1 的值 %2 超出范围（%3）")
                                .arg(name, text, field->rangeText()));
        } else if (n < low || n > high)
            return fail(QStringLiteral("属性 %1 的值 %2 超出范围（%3 到 %4）")
                            .arg(name, text)
                            .arg(low)
                            .arg(high));
        *converted = type == QMetaType::Short ? QVariant::fromValue(short(n)) : QVariant(int(n));
    } else {
        return fail(QStringLiteral("属性 %1 不能用文字设置").arg(name));
    }
    return true;
}

namespace {

/// Why a file could not be opened, in the user's language rather than the library's.
QString openError(const QFile &file)
{
    const QFileInfo info(file.fileName());
    if (info.isDir())
        return QStringLiteral("这是一个文件夹，不是文件");
    if (!info.exists())
        return QStringLiteral("文件不存在");
    if (!info.isReadable())
        return QStringLiteral("没有读取权限");
    return file.errorString();
}

/// Runs one of the reader's functions on a new grid file: nothing it or the grid it builds
/// throws reaches the caller.
std::unique_ptr<GridFile> readGridFile(const QString &name, QString *error,
    std::unique_ptr<GridFile> file, const std::function<bool(GridFileReader &)> &read)
{
    GridFileReader reader(*file);
    bool ok = false;
    try {
        ok = read(reader);
    } catch (const Error &e) {
        ok = false;
        reader.error = QStringLiteral("[%1]%2").arg(e.number()).arg(e.description());
    } catch (const std::bad_alloc &) {
        ok = false;
        reader.error = QStringLiteral("内存不足，无法读取");
    } catch (const std::exception &e) {
        ok = false;
        reader.error = QString::fromLocal8Bit(e.what());
    }
    if (!ok) {
        if (error)
            *error = QStringLiteral("网格文件“%1”：%2").arg(name, reader.error);
        return nullptr;
    }
    return file;
}

} // namespace

std::unique_ptr<GridFile> GridFile::load(const QString &path, QString *error)
{
    return load(path, error, QFileInfo(path).suffix());
}

std::unique_ptr<GridFile> GridFile::load(const QString &path, QString *error, const QString &format)
{
    auto f = std::make_unique<QFile>(path);
    // A folder opens on some systems; it is no grid file anywhere.
    if (QFileInfo(path).isDir() || !f->open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("无法读取网格文件“%1”：%2").arg(path, openError(*f));
        return nullptr;
    }
    const QString suffix = format;
    if (suffix.compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0 && f->size() > 0) {
        // Mapped, not read: the grid decodes its cells from the file's own pages. A pipe or a
        // file system that cannot map is read instead.
        if (uchar *at = f->map(0, f->size())) {
            const QByteArray bytes
                = QByteArray::fromRawData(reinterpret_cast<const char *>(at), f->size());
            return readGridFile(path, error, std::unique_ptr<GridFile>(new GridFile),
                [&](GridFileReader &reader) { return reader.readCsv(bytes, std::move(f)); });
        }
    }
    return fromData(f->readAll(), suffix, path, error);
}

std::unique_ptr<GridFile> GridFile::fromData(
    const QByteArray &bytes, const QString &format, const QString &name, QString *error)
{
    const QString suffix = format.toLower();
    return readGridFile(
        name, error, std::unique_ptr<GridFile>(new GridFile), [&](GridFileReader &reader) {
            if (suffix == QLatin1String("csv"))
                return reader.readCsv(bytes);
            if (suffix == QLatin1String("json"))
                return reader.readJson(bytes);
            reader.error = QStringLiteral("只能读取 .csv 或 .json 文件");
            return false;
        });
}

GridFile::GridFile()
    : d(std::make_unique<GridFilePrivate>())
{
}

GridFile::~GridFile() = default;

int GridFile::gridType() const
{
    return d->gridType;
}

QObject *GridFile::grid() const
{
    return d->grid.get();
}

const QVariantMap &GridFile::properties() const
{
    return d->properties;
}

const QVariantMap &GridFile::format() const
{
    return d->format;
}

const QList<GridFileLine> &GridFile::head() const
{
    return d->head;
}

const QList<GridFileLine> &GridFile::foot() const
{
    return d->foot;
}

qsizetype GridFile::dataSetCount() const
{
    return d->dataSets.size();
}

bool GridFile::applyDataSet(qsizetype index, MyPrint &print, QString *error)
{
    const auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (index < 0 || index >= d->dataSets.size())
        return fail(QStringLiteral("没有第 %1 组数据（“datasets”共 %2 组，从 0 数起）")
                        .arg(index)
                        .arg(d->dataSets.size()));
    const GridFilePrivate::DataSet &set = d->dataSets[index];
    // Nothing a grid or a print object throws may reach the caller.
    try {
        if (auto *flex = qobject_cast<FlexGrid *>(d->grid.get())) {
            // Cells a shorter row leaves out must not keep the previous data set's texts.
            const qint32 cols = flex->Cols();
            QList<QStringList> rows = set.cells;
            for (QStringList &row : rows)
                row.resize(cols);
            flex->setSize(qint32(rows.size()), cols);
            flex->setTexts(rows);
            if (d->mergeAllRows) {
                for (qint32 r = 0; r < rows.size(); ++r)
                    flex->setMergeRow(r, true);
            }
        } else if (auto *data = qobject_cast<DataGrid *>(d->grid.get())) {
            data->setRowsData(set.cells);
            print.setGridrows(qint32(set.cells.size()));
        } else if (auto *voucher = qobject_cast<VoucherGrid *>(d->grid.get())) {
            // The same rows, new texts; a shorter row empties the rest of its cells.
            for (qint32 r = 0; r < voucher->Rows(); ++r) {
                for (qint32 c = 0; c < voucher->Cols(); ++c)
                    voucher->setText(r, c, set.cells.value(r).value(c));
            }
        }
        for (const GridFileLine &line : set.head)
            print.AddHead(line.text, line.newline, line.alignment, line.color);
        for (const GridFileLine &line : set.foot)
            print.AddFoot(line.text, line.newline, line.alignment, line.color);
    } catch (const Error &e) {
        return fail(QStringLiteral("[%1]%2").arg(e.number()).arg(e.description()));
    } catch (const std::exception &e) {
        return fail(QString::fromLocal8Bit(e.what()));
    }
    return true;
}

bool GridFile::setProperty(
    MyPrint &print, const QString &name, const QVariant &value, QString *error)
{
    const QMetaObject *mo = print.metaObject();
    const int index = mo->indexOfProperty(name.toLatin1().constData());
    const auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (index < mo->propertyOffset()) {
        // The page format names some values otherwise than the properties that give them.
        const FormatField *field = findFormatField(name);
        if (field && !field->property.isEmpty())
            return fail(QStringLiteral("没有名为“%1”的属性；页面格式值 %2 的属性是 %3")
                            .arg(name, field->name, field->property));
        return fail(QStringLiteral("没有名为“%1”的属性").arg(name));
    }
    const QMetaProperty property = mo->property(index);
    QVariant converted;
    if (!convertProperty(property, name, value, &converted, error))
        return false;
    const QString text = value.toString().trimmed();
    try {
        if (!property.write(&print, converted))
            return fail(QStringLiteral("属性 %1 不接受“%2”").arg(name, text));
    } catch (const OverflowError &) {
        return fail(QStringLiteral("属性 %1 的值 %2 超出范围").arg(name, text));
    } catch (const Error &e) {
        return fail(QStringLiteral("属性 %1 不接受“%2”：[%3]%4")
                        .arg(name, text)
                        .arg(e.number())
                        .arg(e.description()));
    }
    return true;
}

QString GridFile::checkGridKind(const MyPrint &print)
{
    QObject *grid = print.Datagrid();
    const int kind = int(print.GridType());
    const auto fits = [grid](int k) {
        try {
            GridAccess::create(k, grid);
            return true;
        } catch (const Error &) {
            return false;
        }
    };
    if (!grid || kind < 1 || kind > 8 || fits(kind))
        return {};
    const QMetaEnum kinds = QMetaEnum::fromType<MyPrint::MnuGridType>();
    QStringList usable;
    for (int k = 1; k <= 8; ++k) {
        if (fits(k))
            usable << QStringLiteral("%1（%2）").arg(k).arg(QLatin1String(kinds.valueToKey(k)));
    }
    return QStringLiteral("GridType %1（%2）与网格不符，这个网格可用的 GridType：%3")
        .arg(kind)
        .arg(QLatin1String(kinds.valueToKey(kind)), usable.join(QStringLiteral("、")));
}

QString GridFile::checkPrintedColumns(const MyPrint &print)
{
    const int kind = int(print.GridType());
    if (!print.Datagrid() || kind < 2 || kind > 7)
        return {};
    qint32 cols = 0;
    try {
        cols = GridAccess::create(kind, print.Datagrid())->colCount();
    } catch (const Error &) {
        return {};
    }
    const qint32 start = print.PrintColStart(), end = print.PrintColEnd();
    for (const auto &[name, value] :
        { std::pair { "PrintColStart", start }, std::pair { "PrintColEnd", end } }) {
        if (value < -1 || value >= cols)
            return QStringLiteral(
                "%1 为 %2，应在 -1 到 %3 之间（-1 为全部；网格有 %4 列，从 0 数起）")
                .arg(QLatin1String(name))
                .arg(value)
                .arg(cols - 1)
                .arg(cols);
    }
    if (start >= 0 && end >= 0 && start > end)
        return QStringLiteral("PrintColEnd 为 %1，在 PrintColStart（%2）之前").arg(end).arg(start);
    return {};
}

bool GridFile::applyTo(MyPrint &print, QString *error) const
{
    // Nothing a print object throws may reach the caller.
    try {
        print.setGridType(MyPrint::MnuGridType(d->gridType));
        print.setDatagrid(d->grid.get());
        for (auto it = d->properties.cbegin(); it != d->properties.cend(); ++it) {
            if (!setProperty(print, it.key(), it.value(), error))
                return false;
        }
        for (const GridFileLine &line : d->head)
            print.AddHead(line.text, line.newline, line.alignment, line.color);
        for (const GridFileLine &line : d->foot)
            print.AddFoot(line.text, line.newline, line.alignment, line.color);
    } catch (const OverflowError &) {
        if (error)
            *error = QStringLiteral("页眉或页脚的对齐代码超出范围");
        return false;
    } catch (const Error &e) {
        if (error)
            *error = QStringLiteral("[%1]%2").arg(e.number()).arg(e.description());
        return false;
    } catch (const std::exception &e) {
        if (error)
            *error = QString::fromLocal8Bit(e.what());
        return false;
    }
    return true;
}

} // namespace quillon