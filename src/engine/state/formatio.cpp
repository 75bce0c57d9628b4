#include "formatio.h"

#include "engine/convert.h"
#include "engine/grids/gridadapters.h"
#include "engine/grids/gridkinds.h"
#include "engine/ignoringerrors.h"
#include "engine/state/printproperties.h"
#include "enginestate.h"
#include "platform/interfaces/settingsstore.h"
#include "platform/interfaces/surface.h"
#include "platformservices.h"
#include "printer/printingsystem.h"
#include "registry.h"

#include <quillon/error.h>
#include <quillon/formatfields.h>

#include <QMap>
#include <QStringList>

namespace quillon {

namespace {

constexpr double kTwipsPerMm = 56.7;

/// Reads the values of one key and collects those that are not numbers, so that a hand-edited
/// format gets one message and falls back to defaults without losing what is stored.
class FormatReader
{
public:
    explicit FormatReader(QString keyPath)
        : m_key(std::move(keyPath))
    {
    }

    QString text(const QString &name, const QString &fallback)
    {
        return ReadSetting(RootKey::LocalMachine, m_key, name, fallback);
    }

    qint16 integer(const QString &name, qint16 fallback)
    {
        const QString stored = text(name, QString::number(fallback));
        if (const auto value = toInteger(stored); value && makesSense(name, *value, fallback))
            return *value;
        noteBad(name, stored, QString::number(fallback));
        return fallback;
    }

    qint32 longValue(const QString &name, qint32 fallback)
    {
        const QString stored = text(name, QString::number(fallback));
        if (const auto value = toLong(stored); value && makesSense(name, *value, fallback))
            return *value;
        noteBad(name, stored, QString::number(fallback));
        return fallback;
    }

    float single(const QString &name, float fallback, float low, float high)
    {
        const QString stored = text(name, singleToText(fallback));
        const auto value = toSingle(stored);
        if (value && *value > low && *value <= high)
            return *value;
        noteBad(name, stored, singleToText(fallback));
        return fallback;
    }

    /// Shows one message for everything that could not be read, naming the file it is in.
    void report()
    {
        for (auto it = m_bad.cbegin(); it != m_bad.cend(); ++it) {
            const QString values = it.value().join(QLatin1Char('\n'));
            if (it.key().isEmpty()) {
                ShowMessage(
                    QStringLiteral("设置“%1”中以下值无效，已改用缺省值（保存的值未改动）：\n%2")
                        .arg(m_key, values),
                    48);
                continue;
            }
            const QString part = m_key.startsWith(kFormatKeyBase)
                ? QStringLiteral("报表 ") + m_key.mid(kFormatKeyBase.size())
                : QStringLiteral("公共设置");
            ShowMessage(QStringLiteral("系统设置文件“%1”（%2）中以下值无效，已改用缺省值"
                                       "（该文件未改动）：\n%3")
                            .arg(it.key(), part, values),
                48);
        }
        m_bad.clear();
    }

private:
    // A hand-edited Top=-50 would print off the page. The host's own property value (the
    // fallback) is taken as it is.
    static bool makesSense(const QString &name, qint64 value, qint64 fallback)
    {
        const FormatField *field = findFormatField(name);
        return value == fallback || !field || field->allows(value);
    }

    void noteBad(const QString &name, const QString &stored, const QString &fallback)
    {
        // A value of the machine's file is no fault of the user's.
        const QString source
            = settingsStore().valueSource(storePath(RootKey::LocalMachine, m_key), name);
        m_bad[source] << QStringLiteral("%1=“%2”，改用 %3").arg(name, stored, fallback);
    }

    QString m_key;
    QMap<QString, QStringList> m_bad; // by the file of another layer they came from; "" own
};

void commitBatch(SettingsBatch &batch, const QString &keyPath)
{
    if (!batch.commit())
        ShowMessage(QStringLiteral("注册表值(") + keyPath + QStringLiteral(")保存有误。"), 0,
            QStringLiteral("RegSetValueEx Err"));
}

void readGridFacts(EngineState &s, PrintProperties &print, FormatReader &reader)
{
    s.GridRows = 0;
    s.GridCols = 0;
    s.FixedRowsTop = 0;
    s.FixedRowsBottom = 0;
    s.FixedCols = 0;
    const GridKindRules *rules = gridKindRules(int(print.GridType));
    if (!rules)
        return;
    const auto grid = GridAccess::create(int(rules->kind()), print.Datagrid, print.gridrows);
    s.GridRows = grid->rowCount();
    s.GridCols = grid->colCount();
    s.FixedRowsTop = grid->fixedRowsTop();
    s.FixedRowsBottom = grid->fixedRowsBottom();
    s.FixedCols = grid->fixedCols();
    rules->readFormat(s, [&reader](const QString &name, qint32 fallback) {
        return reader.longValue(name, fallback);
    });
}

void clampPrintedColumns(EngineState &s, PrintProperties &print)
{
    const GridKindRules *rules = gridKindRules(int(print.GridType));
    if (rules && !rules->columnsFromOne()) {
        s.ColStart = print.PrintColStart;
        s.ColEnd = print.PrintColEnd;
        if (qint64(s.ColStart) + 1 > s.GridCols || s.ColStart < 0)
            s.ColStart = 0;
        if (qint64(s.ColEnd) + 1 > s.GridCols || s.ColEnd < 0)
            s.ColEnd = s.GridCols - 1;
    } else {
        s.ColStart = 1;
        s.ColEnd = s.GridCols;
    }
}

qint16 wholeMillimetres(double twips)
{
    return qint16(std::clamp(std::floor(twips / kTwipsPerMm), -32768.0, 32767.0));
}

} // namespace

void LoadFormat(EngineState &s)
{
    PrintProperties &print = *s.printObject();
    const auto lock = lockSettings();
    SettingsStore &store = settingsStore();
    SettingsBatch batch(store);

    s.FormatKey = kFormatKeyBase + print.PrintKeyName;
    s.FormatDeclined = false;
    FormatReader reader(s.FormatKey);
    readGridFacts(s, print, reader);

    PrinterSurface *printer = s.printer();
    s.Format.PrinterName
        = reader.text(QStringLiteral("PrinterName"), printer ? printer->DeviceName() : QString());
    s.Format.PaperSize = reader.integer(QStringLiteral("PaperSize"), print.PaperSize);

    const QString wanted = s.Format.PrinterName.trimmed();
    bool found = false;
    {
        const auto printing = lockPrinting();
        for (const PrinterInfo &info : printingSystem().printers()) {
            if (info.deviceName == wanted) {
                found = s.usePrinter(info.deviceName);
                break;
            }
        }
    }
    printer = s.printer();
    if (!found) {
        ShowMessage(s,
            QStringLiteral("指定打印机:") + s.Format.PrinterName
                + QStringLiteral("未找到，系统使用缺省打印机。"),
            0);
        s.Format.PrinterName = printer ? printer->DeviceName() : QString();
    }

    // From the paper on, a failing step (the printer refusing the paper, a grid call) falls
    // back to the printer's own paper and goes on, when a paper was asked for.
    const bool paperAskedFor = s.Format.PaperSize != 0;
    const auto step = [&](const auto &action) {
        if (!paperAskedFor) {
            action();
            return;
        }
        if (!ignoringErrors("paper", action)) {
            ShowMessage(s, QStringLiteral("当前打印机不支持指定纸张，系统使用缺省纸张。"), 16);
            if (printer)
                s.Format.PaperSize = printer->PaperSize();
        }
    };

    step([&] {
        if (!printer)
            return;
        if (!paperAskedFor)
            s.Format.PaperSize = printer->PaperSize();
        else if (!printer->setPaperSize(s.Format.PaperSize))
            throw Error(
                ErrorNumber::InvalidPropertyValue, QStringLiteral("Invalid property value"));
        else
            s.Format.PaperSize = printer->PaperSize();
    });
    if (s.Format.PaperSize == 256)
        s.Format.PaperSize = 42;
    step([&] {
        if (!printer)
            return;
        if (print.PageHeight < 1)
            print.PageHeight = qint16(
                wholeMillimetres(printer->ScaleHeight()) - print.TopMargin - print.BottomMargin);
        if (print.PageWidth < 1)
            print.PageWidth = qint16(
                wholeMillimetres(printer->ScaleWidth()) - print.LeftMargin - print.RightMargin);
    });
    step([&] { clampPrintedColumns(s, print); });
    step([&] {
        if (const GridKindRules *rules = gridKindRules(int(print.GridType)))
            rules->prepare(s, print);
    });
    s.FixRowsHeightTw = std::max(0, roundHalfEven(print.FixRowsHeight * kTwipsPerMm));

    reader.report();
    commitBatch(batch, s.FormatKey);
}

void LoadFontsAndValues(EngineState &s)
{
    const auto lock = lockSettings();
    SettingsBatch batch(settingsStore());
    LoadFonts(s);
    LoadValues(s);
    commitBatch(batch, s.FormatKey);
}

void LoadFonts(EngineState &s)
{
    FormatReader reader(s.FormatKey);
    s.FontTable[0].Size = reader.integer(QStringLiteral("FONT0_Size"), 24);
    for (int n = 0; n <= 9; ++n) {
        const QString prefix = QStringLiteral("FONT%1_").arg(n);
        FontSpec &font = s.FontTable[n];
        font.Name = reader.text(prefix + QStringLiteral("Name"), QStringLiteral("宋体"));
        font.Size = reader.integer(prefix + QStringLiteral("Size"), 11);
        font.Color = reader.longValue(prefix + QStringLiteral("Color"), 0);
        font.Bold = reader.integer(prefix + QStringLiteral("Bold"), 0) != 0;
    }
    reader.report();
}

void LoadValues(EngineState &s)
{
    PrintProperties &print = *s.printObject();
    FormatReader common(kCommonKey);
    s.ZoomRate = common.single(QStringLiteral("ZoomRate"), float(print.ZoomRatio), 0.0f, 20.0f);
    common.report();

    PageFormat &f = s.Format;
    FormatReader r(s.FormatKey);
    f.PaperOriention = r.integer(QStringLiteral("PaperOriention"), qint16(print.PaperOrient));
    f.FullPage = r.integer(QStringLiteral("FullPage"), 1);
    f.PageWidth = r.integer(QStringLiteral("PageWidth"), print.PageWidth);
    f.PageHeight = r.integer(QStringLiteral("PageHeight"), print.PageHeight);
    f.AutoArrange = r.integer(QStringLiteral("AutoArrange"), 0);
    f.HoriCutPage = r.integer(QStringLiteral("HoriCutPage"), 0);
    f.MultFixCol = r.integer(QStringLiteral("MultFixCol"), 0);
    f.Left = r.integer(QStringLiteral("Left"), print.LeftMargin);
    f.Right = r.integer(QStringLiteral("Right"), print.RightMargin);
    f.Top = r.integer(QStringLiteral("Top"), print.TopMargin);
    f.Bottom = r.integer(QStringLiteral("Bottom"), print.BottomMargin);
    f.LineCount = r.integer(QStringLiteral("LineCount"), print.LineCount);
    f.LineHeight = r.integer(QStringLiteral("LineHeight"), print.LineHeight);
    f.FillBlankLine = r.integer(QStringLiteral("FillBlankLine"), print.FillBlankLines ? 1 : 0);
    f.HCenter = r.integer(QStringLiteral("HCenter"), print.PageHCenter ? 1 : 0);
    f.VCenter = r.integer(QStringLiteral("VCenter"), print.PageVcenter ? 1 : 0);
    f.ColorPrint = r.integer(QStringLiteral("ColorPrint"), 1);
    f.Cutline = r.integer(QStringLiteral("Cutline"), 0);
    f.Cyline = r.integer(QStringLiteral("Cyline"), 1);
    f.PrintDate = r.integer(QStringLiteral("PrintDate"), 1);
    f.PrintOperator = r.integer(QStringLiteral("PrintOperator"), 1);
    f.PrintPageNo = r.integer(QStringLiteral("PrintPageNo"), 1);
    f.ReduceFont = r.integer(QStringLiteral("ReduceFont"), 1);
    f.LogPicPrt = r.integer(QStringLiteral("LogPicPrt"), 0);
    f.LogPic = r.text(QStringLiteral("LogPic"), QString());
    f.LogPicLoc = r.integer(QStringLiteral("LogPicLoc"), 0);
    f.LogTextPrt = r.integer(QStringLiteral("LogtextPrt"), 0);
    f.LogText = r.text(QStringLiteral("Logtext"), QString());
    f.LogTextLoc = r.integer(QStringLiteral("LogTextLoc"), 1);
    f.GridColor = r.longValue(QStringLiteral("GridColor"), 32768);
    r.report();
}

void SaveFormat(EngineState &s)
{
    const PageFormat &f = s.Format;
    const auto lock = lockSettings();
    SettingsBatch batch(settingsStore());
    const auto put = [&s](const char *name, const QString &text) {
        WriteSetting(RootKey::LocalMachine, s.FormatKey, QLatin1String(name), text);
    };
    const auto num = [&put](const char *name, qint64 value) { put(name, QString::number(value)); };

    put("PrinterName", f.PrinterName);
    num("PaperSize", f.PaperSize);
    num("FullPage", f.FullPage);
    num("PaperOriention", f.PaperOriention);
    num("PageWidth", f.PageWidth);
    num("PageHeight", f.PageHeight);
    num("AutoArrange", f.AutoArrange);
    num("HoriCutPage", f.HoriCutPage);
    num("MultFixCol", f.MultFixCol);
    num("HCenter", f.HCenter);
    num("VCenter", f.VCenter);
    num("Left", f.Left);
    num("Right", f.Right);
    num("Top", f.Top);
    num("Bottom", f.Bottom);
    num("LineCount", f.LineCount);
    num("LineHeight", f.LineHeight);
    num("FillBlankLine", f.FillBlankLine);
    num("ColorPrint", f.ColorPrint);
    num("ReduceFont", f.ReduceFont);
    num("Cutline", f.Cutline);
    num("Cyline", f.Cyline);
    num("PrintDate", f.PrintDate);
    num("PrintOperator", f.PrintOperator);
    num("PrintPageNo", f.PrintPageNo);
    num("ReduceFont", f.ReduceFont);
    num("LogPicPrt", f.LogPicPrt);
    if (!f.LogPic.isEmpty())
        put("LogPic", f.LogPic);
    num("LogPicLoc", f.LogPicLoc);
    num("LogTextPrt", f.LogTextPrt);
    if (!f.LogText.isEmpty())
        put("LogText", f.LogText);
    num("LogTextLoc", f.LogTextLoc);
    num("GridColor", f.GridColor);
    if (const GridKindRules *rules = gridKindRules(int(s.printObject()->GridType))) {
        rules->writeFormat(f, [&s](const QString &name, qint64 value) {
            WriteSetting(RootKey::LocalMachine, s.FormatKey, name, QString::number(value));
        });
    }
    for (int n = 0; n <= 9; ++n) {
        const FontSpec &font = s.FontTable[n];
        const QString prefix = QStringLiteral("FONT%1_").arg(n);
        const auto fontPut = [&](const char *suffix, const QString &text) {
            WriteSetting(RootKey::LocalMachine, s.FormatKey, prefix + QLatin1String(suffix), text);
        };
        fontPut("Bold", font.Bold ? QStringLiteral("-1") : QStringLiteral("0"));
        fontPut("Size", singleToText(float(font.Size)));
        fontPut("Name", font.Name);
        fontPut("Color", QString::number(font.Color));
    }
    commitBatch(batch, s.FormatKey);
    s.FormatDirty = 0;
    s.FormatDeclined = false;
}

void SaveColorPrint(const EngineState &s)
{
    const auto lock = lockSettings();
    SettingsBatch batch(settingsStore());
    WriteSetting(RootKey::LocalMachine, s.FormatKey, QStringLiteral("ColorPrint"),
        QString::number(s.Format.ColorPrint));
    commitBatch(batch, s.FormatKey);
}

} // namespace quillon
