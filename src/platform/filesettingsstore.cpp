#include "filesettingsstore.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QSaveFile>
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

std::optional<QString> unquote(const QString &quoted)
{
    // quoted starts and ends with a double quote
    QString text;
    for (qsizetype i = 1; i < quoted.size() - 1; ++i) {
        QChar c = quoted[i];
        if (c == QLatin1Char('"'))
            return std::nullopt;
        if (c == QLatin1Char('\\')) {
            if (++i >= quoted.size() - 1)
                return std::nullopt;
            switch (quoted[i].unicode()) {
            case u'n': c = QLatin1Char('\n'); break;
            case u'r': c = QLatin1Char('\r'); break;
            case u't': c = QLatin1Char('\t'); break;
            case u'"': c = QLatin1Char('"'); break;
            case u'\\': c = QLatin1Char('\\'); break;
            default: return std::nullopt;
            }
        }
        text += c;
    }
    return text;
}

} // namespace

int FileSettingsStore::Document::keyIndex(const QString &normalized) const
{
    for (int i = 0; i < keys.size(); ++i) {
        if (keys[i].normalized == normalized)
            return i;
    }
    return -1;
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
    static const QRegularExpression control(QStringLiteral("[\\r\\n\\t]"));
    if (!text.contains(control) && text.trimmed().size() == text.size()
        && !text.startsWith(QLatin1Char('"')))
        return text;
    QString quoted = QStringLiteral("\"");
    for (QChar c : text) {
        switch (c.unicode()) {
        case u'\n': quoted += QLatin1String("\\n"); break;
        case u'\r': quoted += QLatin1String("\\r"); break;
        case u'\t': quoted += QLatin1String("\\t"); break;
        case u'"': quoted += QLatin1String("\\\""); break;
        case u'\\': quoted += QLatin1String("\\\\"); break;
        default: quoted += c;
        }
    }
    return quoted + QLatin1Char('"');
}

FileSettingsStore::Document FileSettingsStore::parse(const QByteArray &bytes)
{
    Document doc;
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        doc.problems << QStringLiteral("文本编码不是有效的 UTF-8");
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QString line = lines[n];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        const auto problem = [&](const QString &why) {
            doc.problems << QStringLiteral("第 %1 行%2").arg(n + 1).arg(why);
        };
        if (trimmed.contains(QChar(0))) {
            problem(QStringLiteral("含有空字符"));
            continue;
        }
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';'))
            || trimmed.startsWith(QLatin1Char('#')))
            continue;
        if (trimmed.startsWith(QLatin1Char('['))) {
            const QString name = trimmed.endsWith(QLatin1Char(']'))
                ? trimmed.mid(1, trimmed.size() - 2).trimmed()
                : QString();
            const QString normalized = normalizedKey(name);
            if (normalized.isEmpty()) {
                problem(QStringLiteral("的键名无效"));
                doc.keys.append(Key {}); // values below it belong nowhere
                continue;
            }
            if (doc.keyIndex(normalized) < 0)
                doc.keys.append({ name, normalized, {} });
            else
                doc.keys.move(doc.keyIndex(normalized), doc.keys.size() - 1);
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        const QString name = eq > 0 ? line.left(eq).trimmed() : QString();
        if (name.isEmpty()) {
            problem(QStringLiteral("不是“名称=值”"));
            continue;
        }
        if (doc.keys.isEmpty() || doc.keys.last().normalized.isEmpty()) {
            problem(QStringLiteral("不属于任何键"));
            continue;
        }
        QString value = line.mid(eq + 1);
        const QString stripped = value.trimmed();
        if (stripped.startsWith(QLatin1Char('"'))) {
            const std::optional<QString> unquoted = stripped.size() >= 2
                    && stripped.endsWith(QLatin1Char('"'))
                ? unquote(stripped)
                : std::nullopt;
            if (!unquoted) {
                problem(QStringLiteral("的引号或转义不完整"));
                continue;
            }
            value = *unquoted;
        }
        Key &key = doc.keys.last();
        const QString folded = name.toCaseFolded();
        auto it = std::find_if(key.entries.begin(), key.entries.end(),
                               [&](const Entry &e) { return e.folded == folded; });
        if (it != key.entries.end())
            it->value = value; // the last of two spellings wins, as a later write would
        else
            key.entries.append({ name, folded, value });
    }
    doc.keys.removeIf([](const Key &k) { return k.normalized.isEmpty(); });
    return doc;
}

QByteArray FileSettingsStore::serialize(const Document &doc)
{
    QString text = QStringLiteral(
        "; Quillon settings: the page format of every report and the common settings.\n"
        "; UTF-8 text, safe to edit by hand. One [key] per report, then name=value lines;\n"
        "; a value in double quotes may use the escapes \\\" \\\\ \\n \\r \\t.\n");
    for (const Key &key : doc.keys) {
        text += QStringLiteral("\n[") + key.spelling + QStringLiteral("]\n");
        for (const Entry &entry : key.entries)
            text += entry.name + QLatin1Char('=') + encodeValue(entry.value) + QLatin1Char('\n');
    }
    return text.toUtf8();
}

void FileSettingsStore::apply(Document &doc, const Change &change)
{
    const QString normalized = normalizedKey(change.keyPath);
    int index = doc.keyIndex(normalized);
    if (index < 0) {
        QString spelling = change.keyPath;
        while (spelling.endsWith(QLatin1Char('\\')))
            spelling.chop(1);
        doc.keys.append({ spelling, normalized, {} });
        index = doc.keys.size() - 1;
    }
    if (change.name.isEmpty())
        return;
    Key &key = doc.keys[index];
    const QString folded = change.name.toCaseFolded();
    auto it = std::find_if(key.entries.begin(), key.entries.end(),
                           [&](const Entry &e) { return e.folded == folded; });
    if (it != key.entries.end())
        it->value = change.value;
    else
        key.entries.append({ change.name, folded, change.value });
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
    } else {
        const QString stamp =
            QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        QString backup = m_path + QStringLiteral(".damaged-") + stamp;
        for (int n = 2; QFile::exists(backup); ++n)
            backup = m_path + QStringLiteral(".damaged-%1-%2").arg(stamp).arg(n);
        QFile out(backup);
        const bool saved = out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
        out.close();
        if (saved)
            m_lastBackup = backup;
        message += saved ? QStringLiteral("原文件已备份为“%1”。").arg(backup)
                         : QStringLiteral("原文件无法备份。");
    }
    qCWarning(lcSettings).noquote() << message;
    if (m_problemHandler)
        m_problemHandler(message);
}

FileSettingsStore::Document FileSettingsStore::readFromDisk()
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    Document doc = parse(bytes);
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
    // Writes kept for a batch stay visible until they are stored.
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
    for (const Entry &entry : m_doc.keys[index].entries) {
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
    const QFileInfo info(m_path);
    if (!QDir().mkpath(info.absolutePath())) {
        qCWarning(lcSettings) << "cannot create the folder of" << m_path;
        return false;
    }
    QLockFile lock(m_path + QStringLiteral(".lock"));
    lock.setStaleLockTime(30000);
    if (!lock.tryLock(10000)) {
        qCWarning(lcSettings) << "the settings file is locked by another process:" << m_path;
        return false;
    }
    // Another process may have saved since we read: start from what is on disk now.
    Document fresh = readFromDisk();
    for (const Change &c : changes)
        apply(fresh, c);
    QSaveFile out(m_path);
    if (!out.open(QIODevice::WriteOnly) || out.write(serialize(fresh)) < 0 || !out.commit()) {
        qCWarning(lcSettings) << "cannot write" << m_path << out.errorString();
        return false;
    }
    fresh.problems.clear();
    m_doc = std::move(fresh);
    const QFileInfo written(m_path);
    m_stampTime = written.lastModified();
    m_stampSize = written.size();
    return true;
}

} // namespace quillon
