#include "platform/SettingsStore.h"

#include <QDir>
#include <QSettings>
#include <QVariant>

namespace talmere::platform {

namespace {

// QSettings keeps names as written and compares them with case; the registry it stands in for does not.
// Names are therefore looked up here: an exact match first, then one that differs only in case.
QString FindName(const QStringList& names, const QString& wanted)
{
    if (names.contains(wanted)) {
        return wanted;
    }
    for (const QString& name : names) {
        if (name.compare(wanted, Qt::CaseInsensitive) == 0) {
            return name;
        }
    }
    return {};
}

QString JoinPath(const QString& group, const QString& name)
{
    return group.isEmpty() ? name : group + QLatin1Char('/') + name;
}

class QSettingsStore final : public SettingsStore {
public:
    QSettingsStore(const QString& file, bool readOnly) : m_settings(file, QSettings::IniFormat), m_readOnly(readOnly) {}

    std::optional<QString> value(const QString& group, const QString& name) const override
    {
        const std::optional<QString> actualGroup = resolveGroup(group);
        if (!actualGroup) {
            return std::nullopt;
        }
        const QString actualName = FindName(childKeys(*actualGroup), name);
        if (actualName.isEmpty()) {
            return std::nullopt;
        }
        const QVariant stored = m_settings.value(JoinPath(*actualGroup, actualName));
        // A hand-written value with an unquoted comma reads back as a list; it was one text.
        if (stored.typeId() == QMetaType::QStringList) {
            return stored.toStringList().join(QLatin1Char(','));
        }
        return stored.toString();
    }

    void setValue(const QString& group, const QString& name, const QString& value) override
    {
        if (m_readOnly) {
            return;
        }
        const QString actualGroup = resolveGroupAsFarAsItExists(group);
        QString actualName = FindName(childKeys(actualGroup), name);
        if (actualName.isEmpty()) {
            actualName = name;
        }
        m_settings.setValue(JoinPath(actualGroup, actualName), value);
    }

    bool hasGroup(const QString& group) const override { return resolveGroup(group).has_value(); }

    QStringList valueNames(const QString& group) const override
    {
        const std::optional<QString> actualGroup = resolveGroup(group);
        return actualGroup ? childKeys(*actualGroup) : QStringList();
    }

    QStringList childGroups(const QString& group) const override
    {
        const std::optional<QString> actualGroup = resolveGroup(group);
        return actualGroup ? childGroupsOf(*actualGroup) : QStringList();
    }

    void removeGroup(const QString& group) override
    {
        if (m_readOnly) {
            return;
        }
        const std::optional<QString> actualGroup = resolveGroup(group);
        if (actualGroup && !actualGroup->isEmpty()) {
            m_settings.remove(*actualGroup);
        }
    }

    bool flush() override
    {
        if (m_readOnly) {
            return true;
        }
        m_settings.sync();
        return m_settings.status() == QSettings::NoError;
    }

private:
    QStringList childGroupsOf(const QString& group) const
    {
        if (group.isEmpty()) {
            return m_settings.childGroups();
        }
        m_settings.beginGroup(group);
        const QStringList groups = m_settings.childGroups();
        m_settings.endGroup();
        return groups;
    }

    QStringList childKeys(const QString& group) const
    {
        if (group.isEmpty()) {
            return m_settings.childKeys();
        }
        m_settings.beginGroup(group);
        const QStringList keys = m_settings.childKeys();
        m_settings.endGroup();
        return keys;
    }

    // The group's path as it is stored, or nothing when some part of it does not exist. A section written
    // [General] by hand holds what QSettings takes for keys outside any group (it writes the group General
    // as [%General]); such keys are the group General when there is no other.
    std::optional<QString> resolveGroup(const QString& group) const
    {
        if (group.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0 &&
            FindName(childGroupsOf(QString()), group).isEmpty() && !m_settings.childKeys().isEmpty()) {
            return QString();
        }
        QString actual;
        for (const QString& part : group.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
            const QString found = FindName(childGroupsOf(actual), part);
            if (found.isEmpty()) {
                return std::nullopt;
            }
            actual = JoinPath(actual, found);
        }
        return actual;
    }

    QString resolveGroupAsFarAsItExists(const QString& group) const
    {
        QString actual;
        bool searching = true;
        for (const QString& part : group.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
            QString name = part;
            if (searching) {
                const QString found = FindName(childGroupsOf(actual), part);
                if (found.isEmpty()) {
                    searching = false;
                } else {
                    name = found;
                }
            }
            actual = JoinPath(actual, name);
        }
        return actual;
    }

    mutable QSettings m_settings;
    bool m_readOnly;
};

} // namespace

QString UserSettingsFile(const QString& organisation, const QString& application)
{
    QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (home.isEmpty() || !QDir::isAbsolutePath(home)) {
        home = QDir::homePath() + QStringLiteral("/.config");
    }
    return home + QLatin1Char('/') + organisation + QLatin1Char('/') + application + QStringLiteral(".conf");
}

std::unique_ptr<SettingsStore> OpenUserSettings(const QString& organisation, const QString& application, bool readOnly)
{
    return std::make_unique<QSettingsStore>(UserSettingsFile(organisation, application), readOnly);
}

} // namespace talmere::platform
