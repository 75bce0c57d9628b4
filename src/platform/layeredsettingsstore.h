#pragma once

#include "platform/filesettingsstore.h"
#include "platform/interfaces/settingsstore.h"

#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace quillon {

/// The user's settings over the machine's. A value the user's store lacks is read from the
/// machine-wide file, the first of the candidate files that exists (as XDG looks up a
/// configuration file). Every write goes to the user's store; the machine file is only read,
/// so a value found there is never copied to the user's store and a later change to it reaches
/// every user who has not chosen otherwise.
class LayeredSettingsStore : public SettingsStore
{
public:
    /// machinePaths are the candidates for the machine file, most important first.
    LayeredSettingsStore(std::unique_ptr<SettingsStore> user, const QStringList &machinePaths);

    /// quillon/settings.ini in each folder of $XDG_CONFIG_DIRS (colon-separated; /etc/xdg when
    /// unset or empty), most important first. Relative folders are ignored, as XDG asks.
    static QStringList defaultMachinePaths();
    /// The first of defaultMachinePaths() that exists; empty when none does.
    static QString defaultMachinePath();

    /// The store every write goes to.
    SettingsStore &userStore() { return *m_user; }
    /// The machine file values are read from now; empty when none of the candidates exists.
    QString machinePath() const;
    /// Called with a message when the machine file turns out to be damaged.
    void setProblemHandler(const std::function<void(const QString &)> &handler);

    qint64 keyHandle(const QString &keyPath) override;
    std::optional<QString> value(const QString &keyPath, const QString &name) override;
    bool createKey(const QString &keyPath) override;
    bool setValue(const QString &keyPath, const QString &name, const QString &text) override;
    bool setDefaultValue(const QString &keyPath, const QString &name, const QString &text) override;
    /// The machine file's path for a value only the machine file holds.
    QString valueSource(const QString &keyPath, const QString &name) override;
    void beginBatch() override;
    bool endBatch() override;

private:
    FileSettingsStore *machineStore() const;

    std::unique_ptr<SettingsStore> m_user;
    std::vector<std::unique_ptr<FileSettingsStore>> m_machine;
};

} // namespace quillon
