#include "testmain.h"

#include "engine/convert.h"

using namespace quillon;

class TestConvert : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundHalfEvenCases_data();
    void roundHalfEvenCases();
    void integerConversions_data();
    void integerConversions();
    void singleText_data();
    void singleText();
    void numericTexts_data();
    void numericTexts();
    void dateTexts_data();
    void dateTexts();
    void numberPatterns_data();
    void numberPatterns();
    void cellFormats_data();
    void cellFormats();
};

void TestConvert::roundHalfEvenCases_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("rounded");
    QTest::newRow("0.5") << 0.5 << 0;
    QTest::newRow("1.5") << 1.5 << 2;
    QTest::newRow("2.5") << 2.5 << 2;
    QTest::newRow("283.5 (5 mm)") << 283.5 << 284;
    QTest::newRow("850.5 (15 mm)") << 850.5 << 850;
    QTest::newRow("-2.5") << -2.5 << -2;
    QTest::newRow("-3.5") << -3.5 << -4;
    QTest::newRow("2.4999") << 2.4999 << 2;
    QTest::newRow("2.5001") << 2.5001 << 3;
    QTest::newRow("huge saturates") << 1e12 << 2147483647;
    QTest::newRow("tiny saturates") << -1e12 << int(-2147483647 - 1);
    QTest::newRow("NaN") << std::nan("") << 0;
}

void TestConvert::roundHalfEvenCases()
{
    QFETCH(double, value);
    QFETCH(int, rounded);
    QCOMPARE(roundHalfEven(value), rounded);
}

void TestConvert::integerConversions_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariant>("integer"); // invalid: not an Integer
    QTest::addColumn<QVariant>("longValue");
    QTest::newRow("plain") << u"12"_qs << QVariant(12) << QVariant(12);
    QTest::newRow("blanks") << u" 12 "_qs << QVariant(12) << QVariant(12);
    QTest::newRow("half to even") << u"10.5"_qs << QVariant(10) << QVariant(10);
    QTest::newRow("half to even, up") << u"11.5"_qs << QVariant(12) << QVariant(12);
    QTest::newRow("negative") << u"-1"_qs << QVariant(-1) << QVariant(-1);
    QTest::newRow("Integer top") << u"32767"_qs << QVariant(32767) << QVariant(32767);
    QTest::newRow("Integer overflow") << u"32768"_qs << QVariant() << QVariant(32768);
    QTest::newRow("Long overflow") << u"2147483648"_qs << QVariant() << QVariant();
    QTest::newRow("exponent") << u"1e3"_qs << QVariant(1000) << QVariant(1000);
    QTest::newRow("empty") << QString() << QVariant() << QVariant();
    QTest::newRow("text") << u"十二"_qs << QVariant() << QVariant();
    QTest::newRow("trailing junk") << u"12px"_qs << QVariant() << QVariant();
}

void TestConvert::integerConversions()
{
    QFETCH(QString, text);
    QFETCH(QVariant, integer);
    QFETCH(QVariant, longValue);
    const auto i = toInteger(text);
    QCOMPARE(i.has_value(), integer.isValid());
    if (i)
        QCOMPARE(int(*i), integer.toInt());
    const auto l = toLong(text);
    QCOMPARE(l.has_value(), longValue.isValid());
    if (l)
        QCOMPARE(*l, longValue.toInt());
}

void TestConvert::singleText_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << 24.0f << u"24"_qs;
    QTest::newRow("half") << 10.5f << u"10.5"_qs;
    QTest::newRow("tenth") << 0.1f << u"0.1"_qs;
    QTest::newRow("zoom") << 0.75f << u"0.75"_qs;
    QTest::newRow("negative") << -3.25f << u"-3.25"_qs;
}

void TestConvert::singleText()
{
    QFETCH(float, value);
    QFETCH(QString, text);
    QCOMPARE(singleToText(value), text);
    QCOMPARE(toSingle(text), std::optional<float>(value));
}

void TestConvert::numericTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("numeric");
    QTest::addColumn<double>("value");
    QTest::newRow("integer") << u"123"_qs << true << 123.0;
    QTest::newRow("blanks") << u"  -12.5 "_qs << true << -12.5;
    QTest::newRow("plus") << u"+3"_qs << true << 3.0;
    QTest::newRow("grouping") << u"1,234,567.50"_qs << true << 1234567.5;
    QTest::newRow("loose grouping") << u"12,34"_qs << true << 1234.0;
    QTest::newRow("leading point") << u".5"_qs << true << 0.5;
    QTest::newRow("trailing point") << u"12."_qs << true << 12.0;
    QTest::newRow("exponent") << u"1.5e3"_qs << true << 1500.0;
    QTest::newRow("negative exponent") << u"25E-2"_qs << true << 0.25;
    QTest::newRow("yuan") << u"¥1,280.00"_qs << true << 1280.0;
    QTest::newRow("full-width yuan") << u"￥-5"_qs << false << 0.0;
    QTest::newRow("accounting negative") << u"(1,200.00)"_qs << true << -1200.0;
    QTest::newRow("empty") << QString() << false << 0.0;
    QTest::newRow("blank") << u"   "_qs << false << 0.0;
    QTest::newRow("two points") << u"1.2.3"_qs << false << 0.0;
    QTest::newRow("trailing minus") << u"12-"_qs << false << 0.0;
    QTest::newRow("double minus") << u"--1"_qs << false << 0.0;
    QTest::newRow("hex") << u"0x1F"_qs << false << 0.0;
    QTest::newRow("comma first") << u",12"_qs << false << 0.0;
    QTest::newRow("comma last") << u"12,"_qs << false << 0.0;
    QTest::newRow("point only") << u"."_qs << false << 0.0;
    QTest::newRow("chinese") << u"一百"_qs << false << 0.0;
    QTest::newRow("date") << u"2026-12-07"_qs << false << 0.0;
    QTest::newRow("dangling exponent") << u"1e"_qs << false << 0.0;
    QTest::newRow("percentage") << u"76.4%"_qs << true << 0.764;
    QTest::newRow("negative percentage") << u"-3%"_qs << true << -0.03;
    QTest::newRow("percentage, blank before the sign") << u"12.5 %"_qs << true << 0.125;
    QTest::newRow("full-width per-cent sign") << u"50％"_qs << true << 0.5;
    QTest::newRow("grouped percentage") << u"1,250%"_qs << true << 12.5;
    QTest::newRow("accounting negative percentage") << u"(4.5%)"_qs << true << -0.045;
    QTest::newRow("per-cent sign only") << u"%"_qs << false << 0.0;
    QTest::newRow("per-cent sign first") << u"%5"_qs << false << 0.0;
    QTest::newRow("two per-cent signs") << u"5%%"_qs << false << 0.0;
    QTest::newRow("per-cent sign in the middle") << u"5%0"_qs << false << 0.0;
}

void TestConvert::numericTexts()
{
    QFETCH(QString, text);
    QFETCH(bool, numeric);
    QFETCH(double, value);
    QCOMPARE(isNumericText(text), numeric);
    if (numeric)
        QCOMPARE(*numericValue(text), value);
}

void TestConvert::dateTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("date");
    QTest::newRow("ISO") << u"2026-12-07"_qs << true;
    QTest::newRow("ISO with time") << u"2026-12-07 10:30"_qs << true;
    QTest::newRow("ISO T") << u"2026-12-07T10:30:15"_qs << true;
    QTest::newRow("slashes") << u"2026/12/7"_qs << true;
    QTest::newRow("dots") << u"2026.12.7"_qs << true;
    QTest::newRow("chinese") << u"2026年12月7日"_qs << true;
    QTest::newRow("chinese, blanks around") << u" 2007年11月8日 "_qs << true;
    QTest::newRow("month first") << u"12/7/2026"_qs << true;
    QTest::newRow("leap day") << u"2024-02-29"_qs << true;
    QTest::newRow("no leap day") << u"2026-02-29"_qs << false;
    QTest::newRow("month 13") << u"2026-13-01"_qs << false;
    QTest::newRow("mixed separators") << u"2026-12/07"_qs << false;
    QTest::newRow("bad time") << u"2026-12-07 25:00"_qs << false;
    QTest::newRow("number") << u"20261207"_qs << false;
    QTest::newRow("text") << u"十二月"_qs << false;
    QTest::newRow("empty") << QString() << false;
}

void TestConvert::dateTexts()
{
    QFETCH(QString, text);
    QFETCH(bool, date);
    QCOMPARE(isDateText(text), date);
}

void TestConvert::numberPatterns_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("text");
    const QString money = u"##,###,###,###.00"_qs;
    QTest::newRow("money") << 1234.5 << money << u"1,234.50"_qs;
    QTest::newRow("money, millions") << 1234567.891 << money << u"1,234,567.89"_qs;
    QTest::newRow("money, below one") << 0.5 << money << u".50"_qs;
    QTest::newRow("money, zero") << 0.0 << money << u".00"_qs;
    QTest::newRow("money, negative") << -1234.5 << money << u"-1,234.50"_qs;
    QTest::newRow("money, half away from zero") << 2.345 << money << u"2.35"_qs;
    QTest::newRow("money, binary noise") << 1.005 << money << u"1.01"_qs;
    QTest::newRow("money, rounds to zero") << -0.001 << money << u".00"_qs;
    QTest::newRow("money, carry") << 999.999 << money << u"1,000.00"_qs;
    QTest::newRow("two decimals") << 1234.5 << u"##,##0.00"_qs << u"1,234.50"_qs;
    QTest::newRow("two decimals, small") << 0.5 << u"##,##0.00"_qs << u"0.50"_qs;
    QTest::newRow("one decimal") << 3.14159 << u"##,##0.0"_qs << u"3.1"_qs;
    QTest::newRow("no decimals keeps the point") << 1234.5 << u"##,##0."_qs << u"1,235."_qs;
    QTest::newRow("sheet 0.00") << 3.14159 << u"0.00"_qs << u"3.14"_qs;
    QTest::newRow("sheet #,##0") << 1234567.0 << u"#,##0"_qs << u"1,234,567"_qs;
    QTest::newRow("percent") << 0.256 << u"0.0%"_qs << u"25.6%"_qs;
    QTest::newRow("optional decimals") << 2.5 << u"0.##"_qs << u"2.5"_qs;
    QTest::newRow("literal prefix") << 12.0 << u"\"¥\"#,##0.00"_qs << u"¥12.00"_qs;
    QTest::newRow("escaped suffix") << 3.0 << u"0\\元"_qs << u"3元"_qs;
    QTest::newRow("negative section") << -5.0 << u"0.00;(0.00)"_qs << u"(5.00)"_qs;
    QTest::newRow("zero section") << 0.0 << u"0.00;-0.00;\"-\""_qs << u"-"_qs;
    QTest::newRow("large") << 123456789012.0 << money << u"123,456,789,012.00"_qs;
}

void TestConvert::numberPatterns()
{
    QFETCH(double, value);
    QFETCH(QString, pattern);
    QFETCH(QString, text);
    QCOMPARE(formatNumber(value, pattern), text);
}

void TestConvert::cellFormats_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QVariant>("shown"); // invalid: the format is not supported
    QTest::newRow("General") << u"3.14159"_qs << u"General"_qs << QVariant(u"3.14159"_qs);
    QTest::newRow("general, any case") << u"1e3"_qs << u"general"_qs << QVariant(u"1e3"_qs);
    QTest::newRow("text @") << u"00123"_qs << u"@"_qs << QVariant(u"00123"_qs);
    QTest::newRow("0.00") << u"3.14159"_qs << u"0.00"_qs << QVariant(u"3.14"_qs);
    QTest::newRow("0") << u"2.5"_qs << u"0"_qs << QVariant(u"3"_qs);
    QTest::newRow("#,##0") << u"1234567.891"_qs << u"#,##0"_qs << QVariant(u"1,234,568"_qs);
    QTest::newRow("#,##0.00 of a grouped text")
        << u"1,234.5"_qs << u"#,##0.00"_qs << QVariant(u"1,234.50"_qs);
    QTest::newRow("0% of a fraction") << u"0.256"_qs << u"0%"_qs << QVariant(u"26%"_qs);
    QTest::newRow("0.00% of a per-cent text")
        << u"12.5%"_qs << u"0.00%"_qs << QVariant(u"12.50%"_qs);
    QTest::newRow("negative section")
        << u"-1200"_qs << u"#,##0.00;(#,##0.00)"_qs << QVariant(u"(1,200.00)"_qs);
    QTest::newRow("currency literal") << u"88"_qs << u"¥#,##0.00"_qs << QVariant(u"¥88.00"_qs);
    QTest::newRow("a name stays") << u"华东"_qs << u"0.00"_qs << QVariant(u"华东"_qs);
    QTest::newRow("yyyy-mm-dd") << u"2026/12/7"_qs << u"yyyy-mm-dd"_qs
                                << QVariant(u"2026-12-07"_qs);
    QTest::newRow("yyyy年m月d日") << u"2026-12-07"_qs << u"yyyy年m月d日"_qs
                                  << QVariant(u"2026年12月7日"_qs);
    QTest::newRow("m/d/yyyy") << u"2026-01-05"_qs << u"m/d/yyyy"_qs << QVariant(u"1/5/2026"_qs);
    QTest::newRow("yy.mm.dd") << u"2026-01-05"_qs << u"yy.mm.dd"_qs << QVariant(u"26.01.05"_qs);
    QTest::newRow("minutes after hours")
        << u"2026-12-07 08:05"_qs << u"hh:mm"_qs << QVariant(u"08:05"_qs);
    QTest::newRow("date and time") << u"2026-12-07T10:30:15"_qs << u"yyyy-mm-dd hh:mm:ss"_qs
                                   << QVariant(u"2026-12-07 10:30:15"_qs);
    QTest::newRow("serial day") << u"46363"_qs << u"yyyy-mm-dd"_qs << QVariant(u"2026-12-07"_qs);
    QTest::newRow("serial day and time")
        << u"46363.75"_qs << u"yyyy-mm-dd hh:mm"_qs << QVariant(u"2026-12-07 18:00"_qs);
    QTest::newRow("a name under a date format")
        << u"华东"_qs << u"yyyy-mm-dd"_qs << QVariant(u"华东"_qs);
    QTest::newRow("colour") << u"-5"_qs << u"[Red]0.00"_qs << QVariant();
    QTest::newRow("condition") << u"5"_qs << u"[>100]0;0.0"_qs << QVariant();
    QTest::newRow("scientific") << u"12345"_qs << u"0.00E+00"_qs << QVariant();
    QTest::newRow("fraction") << u"0.5"_qs << u"# ?/?"_qs << QVariant();
    QTest::newRow("padding") << u"5"_qs << u"_(#,##0_)"_qs << QVariant();
    QTest::newRow("month name") << u"2026-12-07"_qs << u"d-mmm-yy"_qs << QVariant();
    QTest::newRow("AM/PM") << u"2026-12-07 10:00"_qs << u"h:mm AM/PM"_qs << QVariant();
    QTest::newRow("text alone") << u"5"_qs << u"\"合计\""_qs << QVariant();
}

void TestConvert::cellFormats()
{
    QFETCH(QString, text);
    QFETCH(QString, format);
    QFETCH(QVariant, shown);
    const std::optional<QString> formatted = formatCellText(text, format);
    QCOMPARE(formatted.has_value(), shown.isValid());
    if (formatted)
        QCOMPARE(*formatted, shown.toString());
}

QUILLON_TEST_MAIN(TestConvert)
#include "tst_convert.moc"
