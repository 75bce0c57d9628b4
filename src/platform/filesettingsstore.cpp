#include "filesettingsstore.h"

#include "filelock.h"
#include "outputfile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QStringDecoder>

namespace quillon {

Q_LOGGING_CATEGORY(lcSettings, "quillon.settings")

namespace {

QString &overriddenPath()
{
    static QString path;
    return path;
}

bool isUnpairedSurrogate(QStringView text, qsizetype i)
{
    const QChar c = text[i];
    if (c.isHighSurrogate())
        return i + 1 >= text.size() || !text[i + 1].isLowSurrogate();
    return c.isLowSurrogate() && (i == 0 || !text[i - 1].isHighSurrogate());
}

// Characters a line of text cannot hold as they are: controls and halves of broken pairs.
bool needsEscape(QStringView text, qsizetype i)
{
    const char16_t c = text[i].unicode();
    return c < 0x20 || c == 0x7f || isUnpairedSurrogate(text, i);
}

bool hasEscapes(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (needsEscape(text, i))
            return true;
    }
    return false;
}

QString quote(QStringView text)
{
    QString quoted = QStringLiteral("\"");
    quoted.reserve(text.size() + 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        switch (c.unicode()) {
        case u'\n':
            quoted += QLatin1String("\\n");
            break;
        case u'\r':
            quoted += QLatin1String("\\r");
            break;
        case u'\t':
            quoted += QLatin1String("\\t");
            break;
        case u'"':
            quoted += QLatin1String("\\\"");
            break;
        case u'\\':
            quoted += QLatin1String("\\\\");
            break;
        default:
            if (needsEscape(text, i))
                quoted += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                quoted += c;
        }
    }
    return quoted + QLatin1Char('"');
}

/// The text of a double-quoted string that starts at quoted[0]; end gets the position after
/// its closing quote. Nothing when the quotes or escapes are incomplete.
std::optional<QString> unquote(QStringView quoted, qsizetype *end = nullptr)
{
    QString text;
    for (qsizetype i = 1; i < quoted.size(); ++i) {
        QChar c = quoted[i];
        if (c == QLatin1Char('"')) {
            if (end)
                *end = i + 1;
            return text;
        }
        if (c == QLatin1Char('\\')) {
            if (++i >= quoted.size())
                return std::nullopt;
            switch (quoted[i].unicode()) {
            case u'n':
                c = QLatin1Char('\n');
                break;
            case u'r':
                c = QLatin1Char('\r');
                break;
            case u't':
                c = QLatin1Char('\t');
                break;
            case u'"':
                c = QLatin1Char('"');
                break;
            case u'\\':
                c = QLatin1Char('\\');
                break;
            case u'u': {
                const QStringView digits = quoted.mid(i + 1, 4);
                if (digits.size() < 4 || !std::all_of(digits.begin(), digits.end(), [](QChar d) {
                        return isxdigit(d.unicode());
                    }))
                    return std::nullopt;
                c = QChar(char16_t(digits.toUInt(nullptr, 16)));
                i += 4;
                break;
            }
            default:
                return std::nullopt;
            }
        }
        text += c;
    }
    return std::nullopt;
}

/// A whole quoted text: the quotes at both ends and nothing outside them.
std::optional<QString> unquoteWhole(QStringView text)
{
    qsizetype end = 0;
    std::optional<QString> inner = unquote(text, &end);
    return inner && end == text.size() ? inner : std::nullopt;
}

bool hasBlankEnds(QStringView text)
{
    return !text.isEmpty() && (text.front().isSpace() || text.back().isSpace());
}

QString encodeName(const QString &name)
{
    static const QString special = QStringLiteral(";#[");
    const bool plain = !hasBlankEnds(name) && !hasEscapes(name) && !name.contains(QLatin1Char('='))
        && !name.startsWith(QLatin1Char('"'))
        && !(name.size() > 0 && special.contains(name.front()));
    return plain ? name : quote(name);
}

QString encodeKey(const QString &spelling)
{
    const bool plain = !hasBlankEnds(spelling) && !hasEscapes(spelling)
        && !spelling.startsWith(QLatin1Char('"'));
    return plain ? spelling : quote(spelling);
}

/// One line of the file, read.
struct Line
{
    enum Kind { Nothing, KeyLine, ValueLine, Problem };
    Kind kind = Nothing;
    QString text; // the key's spelling, the value's name, or what is wrong
    QString value;
};

Line parseLine(QStringView line)
{
    const QStringView trimmed = line.trimmed();
    if (trimmed.contains(QChar(0)))
        return { Line::Problem, QStringLiteral("含有空字符"), {} };
    if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';'))
        || trimmed.startsWith(QLatin1Char('#')))
        return {};
    if (trimmed.startsWith(QLatin1Char('['))) {
        if (!trimmed.endsWith(QLatin1Char(']')))
            return { Line::KeyLine, {}, {} };
        const QStringView inside = trimmed.mid(1, trimmed.size() - 2).trimmed();
        // Files of older versions never quote a key: a quoted one that does not read is literal.
        const std::optional<QString> quoted
            = inside.startsWith(QLatin1Char('"')) ? unquoteWhole(inside) : std::nullopt;
        return { Line::KeyLine, quoted ? *quoted : inside.toString(), {} };
    }
    Line result { Line::ValueLine, {}, {} };
    qsizetype eq = -1;
    if (trimmed.startsWith(QLatin1Char('"'))) {
        qsizetype end = 0;
        if (std::optional<QString> name = unquote(trimmed, &end)) {
            const QStringView rest = trimmed.mid(end).trimmed();
            if (rest.startsWith(QLatin1Char('='))) {
                result.text = *name;
                eq = rest.data() - line.data();
            }
        }
    }
    if (eq < 0) {
        eq = line.indexOf(QLatin1Char('='));
        result.text = eq > 0 ? line.left(eq).trimmed().toString() : QString();
    }
    if (result.text.isEmpty())
        return { Line::Problem, QStringLiteral("不是“名称=值”"), {} };
    const QStringView value = line.mid(eq + 1);
    const QStringView stripped = value.trimmed();
    if (!stripped.startsWith(QLatin1Char('"'))) {
        result.value = value.toString();
        return result;
    }
    std::optional<QString> unquoted = unquoteWhole(stripped);
    if (!unquoted)
        return { Line::Problem, QStringLiteral("的引号或转义不完整"), {} };
    result.value = std::move(*unquoted);
    return result;
}

/// Calls f(line text, whether its encoding is broken, the offset after the line) for each line
/// of bytes[from, to).
template <typename F> void forEachLine(const QByteArray &bytes, qsizetype from, qsizetype to, F &&f)
{
    // A byte-order mark starting a line is a character of it: only the file's own is skipped.
    QStringDecoder decoder(QStringDecoder::Utf8,
        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    for (qsizetype pos = from; pos < to;) {
        qsizetype newline = bytes.indexOf('\n', pos);
        if (newline < 0 || newline >= to)
            newline = to;
        qsizetype end = newline;
        if (end > pos && bytes[end - 1] == '\r')
            --end;
        decoder.resetState();
        const QString line = decoder(QByteArrayView(bytes.constData() + pos, end - pos));
        f(line, decoder.hasError(), std::min(newline + 1, to));
        pos = newline + 1;
    }
}

void addEntry(QList<FileSettingsStore::Entry> &entries, QHash<QString, qsizetype> *positions,
    const QString &name, const QString &value)
{
    const QString folded = name.toCaseFolded();
    qsizetype at = -1;
    if (positions) {
        at = positions->value(folded, -1);
    } else {
        const auto it = std::find_if(entries.cbegin(), entries.cend(),
            [&](const FileSettingsStore::Entry &e) { return e.folded == folded; });
        at = it != entries.cend() ? it - entries.cbegin() : -1;
    }
    if (at >= 0) {
        entries[at].value = value; // the last of two spellings wins, as a later write would
        return;
    }
    if (positions)
        positions->insert(folded, entries.size());
    entries.append({ name, folded, value });
}

QList<FileSettingsStore::Entry> readEntries(
    const QByteArray &bytes, const FileSettingsStore::Key &key)
{
    QList<FileSettingsStore::Entry> entries;
    QHash<QString, qsizetype> positions;
    for (const auto &[from, to] : key.sections) {
        forEachLine(bytes, from, to, [&](const QString &text, bool, qsizetype) {
            const Line line = parseLine(text);
            if (line.kind == Line::ValueLine)
                addEntry(entries, &positions, line.text, line.value);
        });
    }
    return entries;
}

} // namespace

FileSettingsStore::Key &FileSettingsStore::Document::loadedKey(int position)
{
    Key &key = keys[position];
    if (!key.loaded) {
        key.entries = readEntries(bytes, key);
        key.loaded = true;
    }
    return key;
}

FileSettingsStore::FileSettingsStore(QString path, Access access)
    : m_path(std::move(path))
    , m_access(access)
{
}

FileSettingsStore::~FileSettingsStore()
{
    while (m_batchDepth > 0)
        endBatch();
}

QString FileSettingsStore::defaultPath()
{
    if (!overriddenPath().isEmpty())
        return overriddenPath();
    const QString fromEnv = qEnvironmentVariable("QUILLON_SETTINGS");
    if (!fromEnv.isEmpty())
        return fromEnv;
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("quillon/settings.ini"));
}

void FileSettingsStore::setDefaultPath(const QString &path)
{
    overriddenPath() = path;
}

void FileSettingsStore::setProblemHandler(std::function<void(const QString &)> handler)
{
    m_problemHandler = std::move(handler);
}

QString FileSettingsStore::encodeValue(const QString &text)
{
    // Backslashes are common in paths: a value is written as it is unless it must be quoted.
    if (!hasEscapes(text) && !hasBlankEnds(text) && !text.startsWith(QLatin1Char('"')))
        return text;
    return quote(text);
}

FileSettingsStore::Document FileSettingsStore::scan(const QByteArray &bytes)
{
    Document doc;
    doc.bytes = bytes;
    int current = -1; // the key the lines belong to; -1 for none
    qsizetype sectionStart = 0;
    qsizetype sectionEnd = 0;
    const auto closeSection = [&] {
        if (current >= 0 && sectionEnd > sectionStart)
            doc.keys[current].sections.append({ sectionStart, sectionEnd });
    };
    int number = 0;
    const qsizetype from = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    forEachLine(
        bytes, from, bytes.size(), [&](const QString &text, bool badEncoding, qsizetype end) {
            ++number;
            const auto problem = [&](const QString &why) {
                doc.problems << QStringLiteral("第 %1 行%2").arg(number).arg(why);
                if (current >= 0)
                    doc.keys[current].clean = false;
            };
            if (badEncoding)
                problem(QStringLiteral("的文本编码不是有效的 UTF-8"));
            const Line line = parseLine(text);
            switch (line.kind) {
            case Line::Nothing:
                break;
            case Line::Problem:
                problem(line.text);
                break;
            case Line::KeyLine: {
                closeSection();
                const QString normalized = normalizedKey(line.text);
                if (normalized.isEmpty()) {
                    current = -1; // values below it belong nowhere
                    problem(QStringLiteral("的键名无效"));
                    break;
                }
                current = doc.index.value(normalized, -1);
                if (current < 0) {
                    current = doc.keys.size();
                    doc.index.insert(normalized, current);
                    Key key { line.text, normalized, {}, {}, false, false, true };
                    doc.keys.append(std::move(key));
                }
                sectionStart = sectionEnd = end;
                break;
            }
            case Line::ValueLine:
                if (current < 0)
                    problem(QStringLiteral("不属于任何键"));
                else
                    sectionEnd = end; // comments and blank lines after the last value are left out
                break;
            }
        });
    closeSection();
    return doc;
}

FileSettingsStore::Document FileSettingsStore::parse(const QByteArray &bytes)
{
    Document doc = scan(bytes);
    for (int i = 0; i < doc.keys.size(); ++i)
        doc.loadedKey(i);
    return doc;
}

QByteArray FileSettingsStore::serialize(const Document &doc)
{
    QByteArray out = QStringLiteral(
        "; Quillon settings: the page format of every report and the common settings.\n"
        "; UTF-8 text, safe to edit by hand. One [key] per report, then name=value lines;\n"
        "; a value, name or key in double quotes may use the escapes \\\" \\\\ \\n \\r \\t "
        "\\uXXXX.\n")
                         .toUtf8();
    out.reserve(doc.bytes.size() + 4096);
    for (const Key &key : doc.keys) {
        out += "\n[" + encodeKey(key.spelling).toUtf8() + "]\n";
        if (!key.changed && key.clean) {
            // Nobody changed it and every line reads: as it was, comments included.
            for (const auto &[from, to] : key.sections) {
                out.append(doc.bytes.constData() + from, to - from);
                if (!out.endsWith('\n'))
                    out += '\n';
            }
            continue;
        }
        const QList<Entry> entries = key.loaded ? key.entries : readEntries(doc.bytes, key);
        QString text;
        for (const Entry &entry : entries)
            text += encodeName(entry.name) + QLatin1Char('=') + encodeValue(entry.value)
                + QLatin1Char('\n');
        out += text.toUtf8();
    }
    return out;
}

void FileSettingsStore::apply(Document &doc, const Change &change)
{
    const QString normalized = normalizedKey(change.keyPath);
    int index = doc.keyIndex(normalized);
    if (index < 0) {
        QString spelling = change.keyPath;
        while (spelling.endsWith(QLatin1Char('\\')))
            spelling.chop(1);
        index = doc.keys.size();
        doc.index.insert(normalized, index);
        doc.keys.append({ spelling, normalized, {}, {}, true, true, true });
    }
    if (change.name.isEmpty())
        return;
    Key &key = doc.loadedKey(index);
    if (change.ifMissing) {
        const QString folded = change.name.toCaseFolded();
        if (std::any_of(key.entries.cbegin(), key.entries.cend(),
                [&folded](const Entry &e) { return e.folded == folded; }))
            return;
    }
    key.changed = true;
    addEntry(key.entries, nullptr, change.name, change.value);
}

void FileSettingsStore::tell(const QString &message)
{
    if (m_problemHandler)
        m_problemHandler(message);
    else
        qCWarning(lcSettings).noquote() << message;
}

void FileSettingsStore::reportDamage(const QByteArray &bytes, const QStringList &problems)
{
    const QByteArray digest = QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
    if (digest == m_reportedDamage)
        return;
    m_reportedDamage = digest;

    QString message = QStringLiteral("设置文件“%1”已损坏（%2），无法读取的内容已跳过，"
                                     "其余设置照常使用。")
                          .arg(m_path, problems.mid(0, 3).join(QStringLiteral("；")));
    m_lastBackup.clear();
    if (isReadOnly()) {
        // Most likely the administrator's file, in a folder we may not write to: leave it be.
        message += QStringLiteral("该文件未作改动。");
        tell(message);
        return;
    }
    // The same damage found again (by another run) keeps the backup it has already.
    const QFileInfo info(m_path);
    const QDir folder = info.absoluteDir();
    const QStringList earlier = folder.entryList(
        { info.fileName() + QStringLiteral(".damaged-*") }, QDir::Files, QDir::Name);
    for (const QString &name : earlier) {
        QFile old(folder.filePath(name));
        if (old.size() == bytes.size() && old.open(QIODevice::ReadOnly) && old.readAll() == bytes) {
            m_lastBackup = old.fileName();
            tell(message + QStringLiteral("原文件的备份是“%1”。").arg(m_lastBackup));
            return;
        }
    }
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString backup = m_path + QStringLiteral(".damaged-") + stamp;
    for (int n = 2; QFileInfo::exists(backup) || QFileInfo(backup).isSymLink(); ++n)
        backup = m_path + QStringLiteral(".damaged-%1-%2").arg(stamp).arg(n);
    QFile out(backup);
    const bool saved = out.open(QIODevice::WriteOnly | QIODevice::NewOnly)
        && out.write(bytes) == bytes.size() && out.flush();
    out.close();
    if (saved)
        m_lastBackup = backup;
    else
        QFile::remove(backup);
    tell(message
        + (saved ? QStringLiteral("原文件已备份为“%1”。").arg(backup)
                 : QStringLiteral("原文件无法备份。")));
}

FileSettingsStore::Document FileSettingsStore::readFromDisk()
{
    // Only a regular file is read: a pipe would wait for a writer, a device never end.
    if (!OutputFile::isRegularFile(m_path))
        return {};
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_readProblem = QStringLiteral("无法读取设置文件“%1”（%2）。")
                            .arg(m_path,
                                !QFileInfo(m_path).isReadable() ? QStringLiteral("没有读取权限")
                                                                : QStringLiteral("打不开"));
        if (!std::exchange(m_readProblemReported, true))
            tell(m_readProblem + QStringLiteral("这次使用缺省的页面格式。"));
        return {};
    }
    m_readProblem.clear();
    m_readProblemReported = false;
    const QByteArray bytes = file.readAll();
    const size_t digest = qHash(bytes);
    if (digest == m_diskDigest && !m_doc.bytes.isNull()) {
        Document same = m_doc; // already read: only its time changed
        same.problems.clear();
        return same;
    }
    Document doc = scan(bytes);
    m_diskDigest = digest;
    if (!doc.problems.isEmpty())
        reportDamage(bytes, doc.problems);
    return doc;
}

void FileSettingsStore::refresh()
{
    const QFileInfo info(m_path);
    const QDateTime time = info.exists() ? info.lastModified() : QDateTime();
    const qint64 size = info.exists() ? info.size() : -1;
    if (time == m_stampTime && size == m_stampSize)
        return;
    Document fresh = readFromDisk();
    // Writes kept for a batch, or that could not be saved, stay visible.
    for (const Change &c : std::as_const(m_unsaved))
        apply(fresh, c);
    for (const Change &c : std::as_const(m_journal))
        apply(fresh, c);
    m_doc = std::move(fresh);
    m_stampTime = time;
    m_stampSize = size;
}

qint64 FileSettingsStore::keyHandle(const QString &keyPath)
{
    refresh();
    return m_doc.keyIndex(normalizedKey(keyPath)) + 1;
}

std::optional<QString> FileSettingsStore::value(const QString &keyPath, const QString &name)
{
    refresh();
    const int index = m_doc.keyIndex(normalizedKey(keyPath));
    if (index < 0)
        return std::nullopt;
    const QString folded = name.toCaseFolded();
    for (const Entry &entry : m_doc.loadedKey(index).entries) {
        if (entry.folded == folded)
            return entry.value;
    }
    return std::nullopt;
}

bool FileSettingsStore::createKey(const QString &keyPath)
{
    if (normalizedKey(keyPath).isEmpty())
        return false;
    if (keyHandle(keyPath) != 0)
        return true;
    return !isReadOnly() && change({ keyPath, QString(), QString() });
}

bool FileSettingsStore::setValue(const QString &keyPath, const QString &name, const QString &text)
{
    if (isReadOnly() || name.isEmpty() || keyHandle(keyPath) == 0)
        return false;
    return change({ keyPath, name, text });
}

bool FileSettingsStore::setDefaultValue(
    const QString &keyPath, const QString &name, const QString &text)
{
    if (isReadOnly() || name.isEmpty() || keyHandle(keyPath) == 0)
        return false;
    return change({ keyPath, name, text, true });
}

bool FileSettingsStore::change(const Change &c)
{
    if (m_batchDepth > 0) {
        apply(m_doc, c);
        m_journal.append(c);
        return true;
    }
    return commit({ c });
}

void FileSettingsStore::beginBatch()
{
    ++m_batchDepth;
}

bool FileSettingsStore::endBatch()
{
    if (m_batchDepth == 0 || --m_batchDepth > 0)
        return true;
    const QList<Change> journal = std::exchange(m_journal, {});
    return journal.isEmpty() || commit(journal);
}

bool FileSettingsStore::commit(const QList<Change> &changes)
{
    const QList<Change> all = m_unsaved + changes;
    const QString problem = save(all);
    if (problem.isEmpty()) {
        // What was reported as kept for this run only is in the file now.
        if (!m_unsaved.isEmpty() && std::exchange(m_unsavedReported, false))
            tell(QStringLiteral("先前没有保存的设置现已保存到“%1”。").arg(m_path));
        m_unsaved.clear();
        return true;
    }
    // The job goes on with what it was given; the file keeps what it had.
    for (const Change &c : changes)
        apply(m_doc, c);
    m_unsaved = all;
    if (!std::exchange(m_unsavedReported, true))
        tell(problem + QStringLiteral("设置没有保存到“%1”，只在本次运行中有效。").arg(m_path));
    return true;
}

QString FileSettingsStore::save(const QList<Change> &changes)
{
    if (const QString refusal = OutputFile::refusal(m_path); !refusal.isEmpty())
        return refusal;
    const QString target = OutputFile::resolved(m_path);
    const QFileInfo info(target);
    if (!QDir().mkpath(info.absolutePath()))
        return QStringLiteral("无法创建文件夹“%1”。").arg(info.absolutePath());
    // Beside the file itself, so that two links to one file share the lock.
    FileLock lock(target + QStringLiteral(".lock"));
    if (!lock.tryLock(10000))
        return lock.isBusy() ? QStringLiteral("设置文件“%1”被另一个程序锁定。").arg(m_path)
                             : lock.errorString();
    // Another process may have saved since we read: start from what is on disk now.
    Document fresh = readFromDisk();
    // Written over, a file that cannot be read would lose every format it holds.
    if (!m_readProblem.isEmpty())
        return m_readProblem;
    for (const Change &c : changes)
        apply(fresh, c);
    const QByteArray bytes = serialize(fresh);
    OutputFile out(m_path);
    if (!out.begin() || out.write(bytes) != bytes.size() || !out.commit())
        return out.errorString();
    fresh.problems.clear();
    m_doc = std::move(fresh);
    m_diskDigest = qHash(bytes);
    const QFileInfo written(m_path);
    m_stampTime = written.lastModified();
    m_stampSize = written.size();
    return QString();
}

} // namespace quillon
