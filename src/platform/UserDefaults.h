#pragma once

#include <QHash>
#include <QObject>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <optional>

/// The user's defaults database: an INI file read and written through
/// QSettings, with registered defaults that answer reads of unset keys and
/// are never written. Reads of a wrong type answer as the database would
/// for that type: false, 0 or no string. Changes are written at the end of
/// the event-loop turn that made them (one write for many changes) and when
/// the object goes; a write that fails is logged and retried with the next,
/// and never leaves a file cut short in place of the last good one.
class UserDefaults final {
public:
    /// Defaults stored in `path`.
    explicit UserDefaults(const QString& path);
    /// Writes what is still unwritten.
    ~UserDefaults();
    /// The standard database: $XDG_CONFIG_HOME/<application id>/settings.ini.
    static QString standardPath();
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    void registerDefaults(const QVariantMap& defaults);

    bool boolValue(const QString& key) const;
    double doubleValue(const QString& key) const;
    std::optional<QString> stringValue(const QString& key) const;
    /// A list of texts; a single text reads as a list of one (INI files keep
    /// a list of one as plain text), anything else as no list.
    QStringList stringListValue(const QString& key) const;
    bool contains(const QString& key) const;

    void setBool(const QString& key, bool value);
    void setDouble(const QString& key, double value);
    /// No value removes the key.
    void setString(const QString& key, const std::optional<QString>& value);
    void setStringList(const QString& key, const QStringList& value);
    void remove(const QString& key);

    /// Keys and string values of a group (e.g. "DisplayNotches").
    QHash<QString, QString> group(const QString& name) const;

    QString path() const { return m_settings->fileName(); }
    /// Writes pending changes to disk now and reads changes made on disk.
    void sync();

private:
    QVariant lookup(const QString& key) const;
    void changed(const QString& key, const QVariant& value);
    std::unique_ptr<QSettings> openSettings(const QString& path) const;
    bool readsBackAsHeld() const;

    // Swallows QSettings' own deferred writes, so that sync() makes every one.
    std::unique_ptr<QObject> m_ownWritesOnly;
    std::unique_ptr<QSettings> m_settings;
    QVariantMap m_registered;
    // Changes not yet known to be on disk; an invalid value is a removal.
    QVariantMap m_unwritten;
    bool m_writeFailing = false;
    bool m_writeScheduled = false;
    // Queued writes die with this object.
    QObject m_writeContext;
    mutable int m_checks = 0;
};
