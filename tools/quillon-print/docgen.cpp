// quillon-print-docs: writes quillon-print's manual page and bash completion from its option
// table, at build time, so that neither can differ from --help.
//
//   quillon-print-docs VERSION MANPAGE COMPLETION

#include "optiontable.h"

#include <QFile>
#include <QStringList>

#include <cstdio>

namespace {

/// Ideographs, CJK and full-width punctuation: a line may break between two of them.
bool isWide(char32_t c)
{
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xFF00 && c <= 0xFFEF) || c == 0x2026
        || (c >= 0x2018 && c <= 0x201D);
}

bool opens(char32_t c)
{
    return c == U'（' || c == U'“' || c == U'‘' || c == U'《' || c == U'「';
}

bool closes(char32_t c)
{
    static const std::u32string kClosing = U"，。、；：？！）”’》」…";
    return kClosing.find(c) != std::u32string::npos;
}

/// Text for a troff line: ASCII only (troff reads it without a preprocessor), minus signs
/// that stay minus signs, and break points between Chinese characters, which troff would
/// otherwise keep on one line as a single word.
QString roff(const QString &text)
{
    const QList<uint> chars = text.toUcs4();
    QString out;
    for (qsizetype i = 0; i < chars.size(); ++i) {
        const char32_t c = chars[i];
        if (c == U'\\')
            out += QStringLiteral("\\e");
        else if (c == U'-')
            out += QStringLiteral("\\-");
        else if (c < 0x80)
            out += QChar(char16_t(c));
        else
            out += QStringLiteral("\\[u%1]").arg(QString::number(uint(c), 16).toUpper());
        const char32_t next = i + 1 < chars.size() ? chars[i + 1] : 0;
        if (isWide(c) && next && !opens(c) && !closes(next) && (isWide(next) || next > 0x20))
            out += QStringLiteral("\\:");
    }
    // A line that starts with a dot or an apostrophe would be a request.
    if (out.startsWith(QLatin1Char('.')) || out.startsWith(QLatin1Char('\'')))
        out.prepend(QStringLiteral("\\&"));
    return out;
}

QString roff(const char *text)
{
    return roff(QString::fromUtf8(text));
}

QString optionTag(const OptionSpec &o)
{
    QString tag;
    if (o.shortName)
        tag = QStringLiteral("\\fB\\-%1\\fR, ").arg(QLatin1Char(o.shortName));
    tag += QStringLiteral("\\fB\\-\\-%1\\fR").arg(roff(QLatin1String(o.name)));
    if (*o.valueName)
        tag += QStringLiteral(" \\fI%1\\fR").arg(roff(o.valueName));
    return tag;
}

QString termList(std::span<const TermSpec> terms)
{
    QString page;
    for (const TermSpec &t : terms)
        page += QStringLiteral(".TP\n\\fB%1\\fR\n%2\n").arg(roff(t.term), roff(t.meaning));
    return page;
}

QString manPage(const QString &version)
{
    // The coding line lets man convert the one UTF-8 section, NAME: whatis and apropos read
    // it as written, not as troff escapes.
    QString page = QStringLiteral(
        ".\\\" -*- coding: UTF-8 -*-\n"
        ".\\\" Made by quillon-print-docs from quillon-print's option table; do not edit.\n"
        ".TH QUILLON\\-PRINT 1 \"\" \"Quillon %1\" \"Quillon\"\n"
        ".ad l\n.nh\n")
                       .arg(roff(version));
    page += QStringLiteral(".SH 名称\nquillon\\-print \\- %1\n").arg(QString::fromUtf8(summary()));
    page += QStringLiteral(".SH %1\n.nf\n").arg(roff("用法"));
    for (const char *line : usageLines()) {
        QString text = roff(line);
        text.replace(QStringLiteral("quillon\\-print"), QStringLiteral("\\fBquillon\\-print\\fR"));
        page += text + QLatin1Char('\n');
    }
    page
        += QStringLiteral(".fi\n.SH %1\n%2\n")
               .arg(roff("说明"), roff(QString::fromUtf8(description()).remove(QLatin1Char('\n'))));
    page += QStringLiteral(".SH %1\n").arg(roff("选项"));
    for (const OptionSpec &o : commandOptions())
        page += QStringLiteral(".TP\n%1\n%2\n").arg(optionTag(o), roff(o.help));
    page += QStringLiteral(".SH %1\n").arg(roff("注意"));
    for (const char *note : notes())
        page += QStringLiteral(".PP\n%1\n").arg(roff(note));
    page += QStringLiteral(".SH %1\n").arg(roff("退出状态")) + termList(exitStatuses());
    page += QStringLiteral(".SH %1\n").arg(roff("环境变量")) + termList(environment());
    page += QStringLiteral(".SH %1\n").arg(roff("示例"));
    for (const TermSpec &e : examples()) {
        page += QStringLiteral(".PP\n%1\n.RS 4\n.nf\n\\fB%2\\fR\n.fi\n.RE\n")
                    .arg(roff(QString::fromUtf8(e.meaning) + QStringLiteral("：")), roff(e.term));
    }
    page += QStringLiteral(".SH %1\n.BR lp (1),\n.BR lpstat (1)\n").arg(roff("参见"));
    return page;
}

/// How the shell completes a value of this kind; empty when it cannot help.
QString valueCompletion(ValueKind kind)
{
    switch (kind) {
    case ValueKind::None:
    case ValueKind::Text:
        return {};
    case ValueKind::File:
        return QStringLiteral("_quillon_print_files");
    case ValueKind::PdfFile:
        return QStringLiteral("_quillon_print_files pdf");
    case ValueKind::Folder:
        return QStringLiteral("_quillon_print_folders");
    case ValueKind::InputFormat:
        return QStringLiteral("COMPREPLY=($(compgen -W 'csv json' -- \"$cur\"))");
    case ValueKind::Property:
        return QStringLiteral("_quillon_print_names --list-properties");
    case ValueKind::FormatValue:
        return QStringLiteral("_quillon_print_names --list-formats");
    }
    return {};
}

QString bashCompletion()
{
    QStringList words;
    QString cases;
    for (const OptionSpec &o : commandOptions()) {
        QStringList names;
        if (o.shortName)
            names << QStringLiteral("-%1").arg(QLatin1Char(o.shortName));
        names << QStringLiteral("--") + QLatin1String(o.name);
        words << names;
        if (o.value != ValueKind::None) {
            const QString action = valueCompletion(o.value);
            cases += QStringLiteral("        %1)\n            %2\n            return ;;\n")
                         .arg(names.join(QLatin1Char('|')),
                             action.isEmpty() ? QStringLiteral(":") : action);
        }
    }
    return QStringLiteral(
        R"(# bash completion for quillon-print; made by quillon-print-docs from its option table.

# Files (with the extensions given, when any) and folders to go into.
_quillon_print_files()
{
    local IFS=$'\n' f
    compopt -o filenames 2>/dev/null
    COMPREPLY=()
    for f in $(compgen -f -- "$cur"); do
        if [ -d "$f" ] || [ $# -eq 0 ]; then
            COMPREPLY+=("$f")
            continue
        fi
        local ext
        for ext in "$@"; do
            case ${f,,} in *."$ext") COMPREPLY+=("$f") ;; esac
        done
    done
}

_quillon_print_folders()
{
    local IFS=$'\n'
    compopt -o filenames 2>/dev/null
    COMPREPLY=($(compgen -d -- "$cur"))
}

# Name= for --set and --format, the names as the program lists them.
_quillon_print_names()
{
    local names
    names=$("${COMP_WORDS[0]}" "$1" 2>/dev/null | tail -n +2 | cut -f1)
    compopt -o nospace 2>/dev/null
    COMPREPLY=($(compgen -S = -W "$names" -- "$cur"))
}

_quillon_print()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    case $prev in
%1    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '%2' -- "$cur"))
        return
    fi
    _quillon_print_files csv json
}
complete -F _quillon_print quillon-print
)")
        .arg(cases, words.join(QLatin1Char(' ')));
}

bool writeFile(const QString &path, const QString &text)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(text.toUtf8()) == text.toUtf8().size())
        return true;
    std::fprintf(
        stderr, "quillon-print-docs: %s: %s\n", qPrintable(path), qPrintable(file.errorString()));
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: quillon-print-docs VERSION MANPAGE COMPLETION\n");
        return 2;
    }
    const bool ok
        = writeFile(QString::fromLocal8Bit(argv[2]), manPage(QString::fromLocal8Bit(argv[1])))
        && writeFile(QString::fromLocal8Bit(argv[3]), bashCompletion());
    return ok ? 0 : 1;
}
