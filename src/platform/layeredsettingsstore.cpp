#include "layeredsettingsstore.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace quillon {

namespace {
// Keeps the handles of keys found only in the machine file apart from the user store's.
constexpr qint64 kMachineHandleBase = qint64(1) << 40;
} // namespace

LayeredSettingsStore::LayeredSettingsStore(
    std::unique_ptr<SettingsStore> user, const QStringList &machinePaths)
    : m_user(std::move(user))
{
    for (const QString &path : machinePaths)
        m_machine.push_back(
            std::make_unique<FileSettingsStore>(path, FileSettingsStore::Access::ReadOnly));
}

QStringList LayeredSettingsStore::defaultMachinePaths()
{
    QStringList dirs = qEnvironmentVariable("XDG_CONFIG_DIRS").split(QLatin1Char(':'));
    dirs.removeIf([](const QString &dir) { return QDir::isRelativePath(dir); });
    if (dirs.isEmpty())
        dirs << QStringLiteral("/etc/xdg");
    QStringList paths;
    for (const QString &dir : std::as_const(dirs))
        paths << QDir(dir).filePath(QStringLiteral("quillon/settings.ini"));
    return paths;
}

QString LayeredSettingsStore::defaultMachinePath()
{
    const QStringList paths = defaultMachinePaths();
    const auto found = std::find_if(
        paths.cbegin(), paths.cend(), [](const QString &path) { return QFileInfo(path).isFile(); });
    return found != paths.cend() ? *found : QString();
}

FileSettingsStore *LayeredSettingsStore::machineStore() const
{
    // Looked up on every read: a file the administrator adds later is seen without a restart.
    for (const auto &store : m_machine) {
        if (QFileInfo(store->path()).isFile())
            return store.get();
    }
    return nullptr;
}

QString LayeredSettingsStore::machinePath() const
{
    const FileSettingsStore *store = machineStore();
    return store ? store->path() : QString();
}

void LayeredSettingsStore::setProblemHandler(const std::function<void(const QString &)> &handler)
{
    for (const auto &store : m_machine)
        store->setProblemHandler(handler);
}

qint64 LayeredSettingsStore::keyHandle(const QString &keyPath)
{
    if (const qint64 handle = m_user->keyHandle(keyPath))
        return handle;
    FileSettingsStore *machine = machineStore();
    const qint64 handle = machine ? machine->keyHandle(keyPath) : 0;
    return handle ? kMachineHandleBase + handle : 0;
}

std::optional<QString> LayeredSettingsStore::value(const QString &keyPath, const QString &name)
{
    if (std::optional<QString> text = m_user->value(keyPath, name))
        return text;
    FileSettingsStore *machine = machineStore();
    return machine ? machine->value(keyPath, name) : std::nullopt;
}

bool LayeredSettingsStore::createKey(const QString &keyPath)
{
    // A key is created where it can be written, even when the machine file has it already.
    return m_user->createKey(keyPath);
}

bool LayeredSettingsStore::setValue(
    const QString &keyPath, const QString &name, const QString &text)
{
    if (name.isEmpty() || keyHandle(keyPath) == 0)
        return false;
    return m_user->createKey(keyPath) && m_user->setValue(keyPath, name, text);
}

bool LayeredSettingsStore::setDefaultValue(
    const QString &keyPath, const QString &name, const QString &text)
{
    if (name.isEmpty() || keyHandle(keyPath) == 0)
        return false;
    return m_user->createKey(keyPath) && m_user->setDefaultValue(keyPath, name, text);
}

QString LayeredSettingsStore::valueSource(const QString &keyPath, const QString &name)
{
    if (m_user->value(keyPath, name))
        return m_user->valueSource(keyPath, name);
    FileSettingsStore *machine = machineStore();
    return machine && machine->value(keyPath, name) ? machine->path() : QString();
}

void LayeredSettingsStore::beginBatch()
{
    m_user->beginBatch();
}

bool LayeredSettingsStore::endBatch()
{
    return m_user->endBatch();
}

} // namespace quillon
