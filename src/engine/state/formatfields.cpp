#include <quillon/formatfields.h>

namespace quillon {

namespace {

constexpr qint32 kMaxColor = 0xFFFFFF;

QList<FormatField> buildFields()
{
    using T = FormatField::Type;
    const QString mm = QStringLiteral("毫米");
    const auto flag = [](const char *name, const char *value, const char *property = "") {
        return FormatField { QLatin1String(name), T::Flag, QString(), QLatin1String(value),
            QLatin1String(property), 0, 1 };
    };
    const auto margin = [&mm](const char *name, const char *value, const char *property) {
        return FormatField { QLatin1String(name), T::Integer, mm, QLatin1String(value),
            QLatin1String(property), 0, 500 };
    };
    QList<FormatField> fields {
        { QStringLiteral("PrinterName"), T::Text, {}, {}, {}, 0, 0 },
        { QStringLiteral("PaperSize"), T::Integer, {}, QStringLiteral("0"),
            QStringLiteral("PaperSize"), 0, 32767 },
    };
    for (int n = 0; n <= 9; ++n) {
        const QString prefix = QStringLiteral("FONT%1_").arg(n);
        fields << FormatField { prefix + QStringLiteral("Name"), T::Text, {},
            QStringLiteral("宋体"), {}, 0, 0 }
               << FormatField { prefix + QStringLiteral("Size"), T::Integer, QStringLiteral("磅"),
                      n == 0 ? QStringLiteral("24") : QStringLiteral("11"), {}, 1, 200 }
               << FormatField { prefix + QStringLiteral("Color"), T::Color, {}, QStringLiteral("0"),
                      {}, 0, kMaxColor } // Saved as -1 for bold, as the page setup always did.
               << FormatField { prefix + QStringLiteral("Bold"), T::Flag, {}, QStringLiteral("0"),
                      {}, -1, 1 };
    }
    fields << FormatField { QStringLiteral("PaperOriention"), T::Integer, {}, QStringLiteral("1"),
        QStringLiteral("PaperOrient"), 1, 2 }
           << flag("FullPage", "1")
           << FormatField { QStringLiteral("PageWidth"), T::Integer, mm, QStringLiteral("0"),
                  QStringLiteral("PageWidth"), 0, 32767 }
           << FormatField { QStringLiteral("PageHeight"), T::Integer, mm, QStringLiteral("0"),
                  QStringLiteral("PageHeight"), 0, 32767 }
           << flag("AutoArrange", "0") << flag("HoriCutPage", "0") << flag("MultFixCol", "0")
           << margin("Left", "5", "LeftMargin") << margin("Right", "5", "RightMargin")
           << margin("Top", "10", "TopMargin") << margin("Bottom", "5", "BottomMargin")
           << FormatField { QStringLiteral("LineCount"), T::Integer, QStringLiteral("行"),
                  QStringLiteral("0"), QStringLiteral("LineCount"), 0, 1000 }
           // A row lower than 3 mm holds no legible text; 0 sizes rows from the grid.
           << FormatField { QStringLiteral("LineHeight"), T::Integer, mm, QStringLiteral("0"),
                  QStringLiteral("LineHeight"), 3, 100, true }
           << flag("FillBlankLine", "0", "FillBlankLines") << flag("HCenter", "0", "PageHCenter")
           << flag("VCenter", "0", "PageVcenter") << flag("ColorPrint", "1") << flag("Cutline", "0")
           << flag("Cyline", "1") << flag("PrintDate", "1") << flag("PrintOperator", "1")
           << flag("PrintPageNo", "1") << flag("ReduceFont", "1") << flag("LogPicPrt", "0")
           << FormatField { QStringLiteral("LogPic"), T::Text, {}, {}, {}, 0, 0 }
           << FormatField { QStringLiteral("LogPicLoc"), T::Integer, {}, QStringLiteral("0"), {}, 0,
                  5 }
           << flag("LogTextPrt", "0")
           << FormatField { QStringLiteral("LogText"), T::Text, {}, {}, {}, 0, 0 }
           << FormatField { QStringLiteral("LogTextLoc"), T::Integer, {}, QStringLiteral("1"), {},
                  0, 11 }
           << FormatField { QStringLiteral("GridColor"), T::Color, {}, QStringLiteral("32768"), {},
                  0, kMaxColor } // Voucher grids only; -1 takes the grid's own colour.
           << FormatField { QStringLiteral("JeLineColor"), T::Color, {}, QStringLiteral("-1"), {},
                  -1, kMaxColor }
           << FormatField { QStringLiteral("DotLineColor"), T::Color, {}, QStringLiteral("-1"), {},
                  -1, kMaxColor };
    return fields;
}

} // namespace

QString FormatField::typeName() const
{
    switch (type) {
    case Type::Text:
        return QStringLiteral("文字");
    case Type::Flag:
        return QStringLiteral("开关");
    case Type::Color:
        return QStringLiteral("颜色");
    case Type::Integer:
        break;
    }
    return QStringLiteral("整数");
}

QString FormatField::rangeText() const
{
    if (type == Type::Text)
        return QStringLiteral("任意文字");
    const QString range = QStringLiteral("%1 到 %2").arg(low).arg(high);
    return zeroIsAutomatic ? QStringLiteral("0 或 ") + range : range;
}

const QList<FormatField> &formatFields()
{
    static const QList<FormatField> fields = buildFields();
    return fields;
}

const FormatField *findFormatField(const QString &name)
{
    for (const FormatField &field : formatFields()) {
        if (field.name.compare(name, Qt::CaseInsensitive) == 0)
            return &field;
    }
    return nullptr;
}

QString checkFormatValue(const QString &name, const QString &value)
{
    const FormatField *field = findFormatField(name);
    if (!field) {
        // A property's name where the page format names the value otherwise (TopMargin: Top).
        for (const FormatField &f : formatFields()) {
            if (!f.property.isEmpty() && f.property.compare(name, Qt::CaseInsensitive) == 0)
                return QStringLiteral("页面格式没有名为“%1”的值；属性 %2 对应的页面格式值是 %3"
                                      "（--format %3=%4）")
                    .arg(name, f.property, f.name, value);
        }
        return QStringLiteral("页面格式没有名为“%1”的值（--list-formats 列出全部）").arg(name);
    }
    if (field->type == FormatField::Type::Text)
        return {};
    bool ok = false;
    const qint64 number = value.trimmed().toLongLong(&ok);
    if (!ok)
        return QStringLiteral("页面格式值 %1 应为整数，而不是“%2”").arg(field->name, value);
    if (!field->allows(number))
        return QStringLiteral("页面格式值 %1 应为 %2，而不是 %3")
            .arg(field->name, field->rangeText())
            .arg(number);
    return {};
}

} // namespace quillon
