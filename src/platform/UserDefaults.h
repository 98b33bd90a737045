#pragma once

#include <QHash>
#include <QSettings>
#include <QString>
#include <QVariant>

#include <memory>
#include <optional>

/// The user's defaults database: an INI file read and written through
/// QSettings, with registered defaults that answer reads of unset keys and
/// are never written. Reads of a wrong type answer as the database would
/// for that type: false, 0 or no string.
class UserDefaults final {
public:
    /// Defaults stored in `path`.
    explicit UserDefaults(const QString& path);
    /// The standard database: $XDG_CONFIG_HOME/<bundle id>/settings.ini.
    static QString standardPath();
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    void registerDefaults(const QVariantMap& defaults);

    bool boolValue(const QString& key) const;
    double doubleValue(const QString& key) const;
    std::optional<QString> stringValue(const QString& key) const;
    bool contains(const QString& key) const;

    void setBool(const QString& key, bool value);
    void setDouble(const QString& key, double value);
    /// No value removes the key.
    void setString(const QString& key, const std::optional<QString>& value);
    void remove(const QString& key);

    /// Keys and string values of a group (e.g. "DisplayNotches").
    QHash<QString, QString> group(const QString& name) const;

    QString path() const { return m_settings->fileName(); }
    /// Writes pending changes to disk now.
    void sync() { m_settings->sync(); }

private:
    QVariant lookup(const QString& key) const;

    std::unique_ptr<QSettings> m_settings;
    QVariantMap m_registered;
};
