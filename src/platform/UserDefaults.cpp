#include "UserDefaults.h"

#include "AppInfo.h"
#include "Log.h"

#include <QStandardPaths>

#include <cmath>

UserDefaults::UserDefaults(const QString& path)
    : m_settings(std::make_unique<QSettings>(path, QSettings::IniFormat))
{
}

UserDefaults::~UserDefaults()
{
    if (!m_unwritten.isEmpty())
        sync();
}

QString UserDefaults::standardPath()
{
    const QString id = AppInfo::main().identifier().value_or(QStringLiteral("com.larkmoor.Brimwell"));
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/') + id
        + QStringLiteral("/settings.ini");
}

void UserDefaults::registerDefaults(const QVariantMap& defaults)
{
    for (auto it = defaults.begin(); it != defaults.end(); ++it)
        m_registered.insert(it.key(), it.value());
}

QVariant UserDefaults::lookup(const QString& key) const
{
    const QVariant stored = m_settings->value(key);
    if (stored.isValid())
        return stored;
    return m_registered.value(key);
}

bool UserDefaults::contains(const QString& key) const
{
    return m_settings->contains(key);
}

bool UserDefaults::boolValue(const QString& key) const
{
    const QVariant v = lookup(key);
    if (v.typeId() == QMetaType::Bool)
        return v.toBool();
    if (v.typeId() == QMetaType::QString) {
        // INI stores text: accept the spellings a person or QSettings writes,
        // and numbers (non-zero is true); anything else is false.
        const QString s = v.toString().trimmed().toLower();
        if (s == QLatin1String("true") || s == QLatin1String("yes"))
            return true;
        bool ok = false;
        const double d = s.toDouble(&ok);
        return ok && d != 0.0;
    }
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok && d != 0.0;
}

double UserDefaults::doubleValue(const QString& key) const
{
    const QVariant v = lookup(key);
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? 1.0 : 0.0;
    bool ok = false;
    double d = v.toString().trimmed().toDouble(&ok);
    if (!ok)
        d = v.toDouble(&ok);
    // Text that is no number, or no finite one, reads as 0.
    return ok && std::isfinite(d) ? d : 0.0;
}

std::optional<QString> UserDefaults::stringValue(const QString& key) const
{
    const QVariant v = lookup(key);
    if (!v.isValid() || v.typeId() == QMetaType::QStringList || v.typeId() == QMetaType::QVariantList)
        return std::nullopt;
    if (v.typeId() == QMetaType::Bool)
        return std::nullopt;
    return v.toString();
}

QStringList UserDefaults::stringListValue(const QString& key) const
{
    const QVariant v = lookup(key);
    QStringList list;
    if (v.typeId() == QMetaType::QStringList || v.typeId() == QMetaType::QVariantList) {
        for (const QVariant& item : v.toList()) {
            if (item.typeId() == QMetaType::QString && !item.toString().isEmpty())
                list << item.toString();
        }
    } else if (v.typeId() == QMetaType::QString && !v.toString().isEmpty()) {
        list << v.toString();
    }
    return list;
}

void UserDefaults::setStringList(const QString& key, const QStringList& value)
{
    changed(key, value);
}

void UserDefaults::setBool(const QString& key, bool value)
{
    changed(key, value);
}

void UserDefaults::setDouble(const QString& key, double value)
{
    changed(key, value);
}

void UserDefaults::setString(const QString& key, const std::optional<QString>& value)
{
    changed(key, value ? QVariant(*value) : QVariant());
}

void UserDefaults::remove(const QString& key)
{
    changed(key, QVariant());
}

void UserDefaults::changed(const QString& key, const QVariant& value)
{
    if (value.isValid())
        m_settings->setValue(key, value);
    else
        m_settings->remove(key);
    m_unwritten.insert(key, value);
    // A dragged slider changes a value on every mouse move; the file is
    // written once, when the turn of the event loop ends.
    if (m_writeScheduled)
        return;
    m_writeScheduled = true;
    QMetaObject::invokeMethod(
        &m_writeContext, [this] { sync(); }, Qt::QueuedConnection);
}

void UserDefaults::sync()
{
    m_writeScheduled = false;
    if (m_settings->status() == QSettings::AccessError) {
        // QSettings keeps an error once it had one; a fresh object over the
        // same file tells whether writing works again.
        m_settings = std::make_unique<QSettings>(m_settings->fileName(), QSettings::IniFormat);
        for (auto it = m_unwritten.cbegin(); it != m_unwritten.cend(); ++it) {
            if (it.value().isValid())
                m_settings->setValue(it.key(), it.value());
            else
                m_settings->remove(it.key());
        }
    }
    m_settings->sync();
    const bool failed = m_settings->status() == QSettings::AccessError;
    if (failed && !m_writeFailing) {
        qCCritical(lcApp, "Unable to write the settings file %s; changes are kept and written when it can be",
            qUtf8Printable(m_settings->fileName()));
    } else if (!failed && m_writeFailing) {
        qCInfo(lcApp, "Settings file %s written again", qUtf8Printable(m_settings->fileName()));
    }
    m_writeFailing = failed;
    if (!failed)
        m_unwritten.clear();
}

QHash<QString, QString> UserDefaults::group(const QString& name) const
{
    QHash<QString, QString> result;
    m_settings->beginGroup(name);
    for (const QString& key : m_settings->childKeys())
        result.insert(key, m_settings->value(key).toString());
    m_settings->endGroup();
    return result;
}
