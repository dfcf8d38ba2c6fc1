#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace talmere::platform {

// A per-user store of text values in groups ("General", "Reports/<type>"), the way the program and the
// product keep their settings. Group and value names are compared without regard to case, as the store
// they were first kept in does; a value written under a name that exists in another case replaces it.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // Nothing when the value does not exist.
    virtual std::optional<QString> value(const QString& group, const QString& name) const = 0;
    virtual void setValue(const QString& group, const QString& name, const QString& value) = 0;
    virtual bool hasGroup(const QString& group) const = 0;
    virtual QStringList valueNames(const QString& group) const = 0;
    virtual QStringList childGroups(const QString& group) const = 0;
    virtual void removeGroup(const QString& group) = 0;
    // Writes what has changed; false when that failed.
    virtual bool flush() = 0;
};

// The current user's store of an organisation's application: $XDG_CONFIG_HOME/<organisation>/<application>.conf
// (~/.config when XDG_CONFIG_HOME is unset), read when it is opened so that each store follows the
// environment of its moment. A read-only store never writes its file.
std::unique_ptr<SettingsStore> OpenUserSettings(const QString& organisation, const QString& application,
                                                bool readOnly = false);

// Where OpenUserSettings keeps a store.
QString UserSettingsFile(const QString& organisation, const QString& application);

} // namespace talmere::platform
