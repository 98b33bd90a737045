#include "UserDefaults.h"

#include "AppInfo.h"
#include "Log.h"

#include <QEvent>
#include <QFile>
#include <QLockFile>
#include <QStandardPaths>

#include <cerrno>
#include <cmath>

#include <unistd.h>

namespace {

class OwnWritesOnly final : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override { return event->type() == QEvent::UpdateRequest; }
};

// A value as held and as read back from the file, where every value is text
// and a list of one is plain text.
QString asText(const QVariant& value)
{
    if (value.typeId() == QMetaType::QStringList || value.typeId() == QMetaType::QVariantList)
        return value.toStringList().join(QChar(0));
    return value.toString();
}

} // namespace

UserDefaults::UserDefaults(const QString& path)
    : m_ownWritesOnly(std::make_unique<OwnWritesOnly>())
    , m_settings(openSettings(path))
{
    // A run killed between QSettings creating its lock file and writing its
    // owner into it leaves a lock nobody holds, and QSettings waits 30 s, on
    // the GUI thread, before it calls that stale. Removing it is refused
    // while a live process holds the lock.
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(0) && lock.removeStaleLockFile())
        qCWarning(lcApp, "Removed a settings lock without an owner, left by a run that was killed");
}

std::unique_ptr<QSettings> UserDefaults::openSettings(const QString& path) const
{
    auto settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    settings->installEventFilter(m_ownWritesOnly.get());
    return settings;
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
    const QString path = m_settings->fileName();
    // Qt commits an INI file whose buffered tail never reached the disk (a
    // full disk, a quota) and reports success. A second name keeps the last
    // good file until the new one reads back as what is held.
    const QByteArray file = QFile::encodeName(path);
    const QByteArray previous = file + ".previous";
    ::unlink(previous.constData());
    const bool existed = QFile::exists(path);
    const bool kept
        = existed && (::link(file.constData(), previous.constData()) == 0 || QFile::copy(path, QFile::decodeName(previous)));
    if (m_writeFailing) {
        // QSettings keeps an error once it had one, and knows nothing of a
        // file put back: a fresh object over the file, given what is unwritten.
        m_settings = openSettings(path);
        for (auto it = m_unwritten.cbegin(); it != m_unwritten.cend(); ++it) {
            if (it.value().isValid())
                m_settings->setValue(it.key(), it.value());
            else
                m_settings->remove(it.key());
        }
    }
    m_settings->sync();
    bool failed = m_settings->status() == QSettings::AccessError;
    if (!failed && !readsBackAsHeld()) {
        failed = true;
        // Back to the last good file, or to none.
        if (kept ? ::rename(previous.constData(), file.constData()) != 0
                 : existed || (::unlink(file.constData()) != 0 && errno != ENOENT))
            qCWarning(lcApp, "The settings file %s was cut short and could not be put back", file.constData());
    }
    if (kept)
        ::unlink(previous.constData());
    if (failed && !m_writeFailing) {
        qCCritical(
            lcApp, "Unable to write the settings file %s; changes are kept and written when it can be", qUtf8Printable(path));
    } else if (!failed && m_writeFailing) {
        qCInfo(lcApp, "Settings file %s written again", qUtf8Printable(path));
    }
    m_writeFailing = failed;
    if (!failed)
        m_unwritten.clear();
}

bool UserDefaults::readsBackAsHeld() const
{
    const QString path = m_settings->fileName();
    if (!QFile::exists(path))
        return m_settings->allKeys().isEmpty();
    // Read through a name of its own: under the file's name QSettings would
    // answer from what it holds.
    const QString probe = path + QStringLiteral(".check") + QString::number(++m_checks);
    QFile::remove(probe); // left by a run that was killed here
    if (!QFile::link(path, probe))
        return true; // nothing to check against; what Qt reported stands
    bool same = true;
    {
        const QSettings disk(probe, QSettings::IniFormat);
        QStringList held = m_settings->allKeys(), read = disk.allKeys();
        held.sort();
        read.sort();
        same = held == read;
        for (int i = 0; same && i < held.size(); ++i)
            same = asText(disk.value(held[i])) == asText(m_settings->value(held[i]));
    }
    QFile::remove(probe);
    return same;
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
