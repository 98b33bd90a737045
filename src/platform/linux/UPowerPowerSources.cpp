#include "UPowerPowerSources.h"

#include "DBusPropertyMirror.h"
#include "Log.h"
#include "dbus_interface.h"
#include "upower_interface.h"

#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

const QString service = QStringLiteral("org.freedesktop.UPower");
const QString daemonPath = QStringLiteral("/org/freedesktop/UPower");
const QString daemonInterface = QStringLiteral("org.freedesktop.UPower");
const QString deviceInterface = QStringLiteral("org.freedesktop.UPower.Device");
const QString displayDevicePath = QStringLiteral("/org/freedesktop/UPower/devices/DisplayDevice");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

constexpr uint linePower = 1;
constexpr uint battery = 2;
constexpr uint charging = 1;

QVariant unwrapped(const QVariant& value)
{
    if (value.metaType() == QMetaType::fromType<QDBusVariant>())
        return qvariant_cast<QDBusVariant>(value).variant();
    return value;
}

bool isInteger(const QVariant& v)
{
    switch (v.metaType().id()) {
    case QMetaType::UChar:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

void logWrongType(const QString& path, const QString& name, const QVariant& value, const char* expected)
{
    qCWarning(lcApp, "UPower device %s: %s is %s, not %s; ignored", qUtf8Printable(path), qUtf8Printable(name),
        value.isValid() ? value.typeName() : "empty", expected);
}

// Each property either takes its value or keeps none, never a wrong one.
void take(std::optional<bool>& field, const QString& path, const QString& name, const QVariant& value)
{
    if (value.metaType().id() == QMetaType::Bool) {
        field = value.toBool();
        return;
    }
    logWrongType(path, name, value, "a boolean");
    field.reset();
}

void take(std::optional<uint>& field, const QString& path, const QString& name, const QVariant& value)
{
    if (isInteger(value) && value.toLongLong() >= 0 && value.toULongLong() <= UINT_MAX) {
        field = value.toUInt();
        return;
    }
    logWrongType(path, name, value, "an unsigned integer");
    field.reset();
}

void take(std::optional<double>& field, const QString& path, const QString& name, const QVariant& value)
{
    if ((value.metaType().id() == QMetaType::Double || isInteger(value)) && std::isfinite(value.toDouble())) {
        field = value.toDouble();
        return;
    }
    logWrongType(path, name, value, "a finite number");
    field.reset();
}

} // namespace

UPowerPowerSources::UPowerPowerSources(QDBusConnection systemBus, PowerSources* fallback, QObject* parent)
    : PowerSources(parent)
    , m_bus(std::move(systemBus))
    , m_fallback(fallback)
{
    if (m_fallback) {
        connect(m_fallback, &PowerSources::changed, this, [this] {
            if (m_isFallbackActive)
                Q_EMIT changed();
        });
    }
}

UPowerPowerSources::~UPowerPowerSources()
{
    stopObserving();
}

void UPowerPowerSources::update(Device& device, const QVariantMap& properties, const QString& path)
{
    for (auto it = properties.begin(); it != properties.end(); ++it) {
        const QVariant value = unwrapped(it.value());
        const QString& name = it.key();
        if (name == QLatin1String("Type"))
            take(device.type, path, name, value);
        else if (name == QLatin1String("PowerSupply"))
            take(device.powerSupply, path, name, value);
        else if (name == QLatin1String("IsPresent"))
            take(device.isPresent, path, name, value);
        else if (name == QLatin1String("Percentage"))
            take(device.percentage, path, name, value);
        else if (name == QLatin1String("State"))
            take(device.state, path, name, value);
        else if (name == QLatin1String("Online"))
            take(device.online, path, name, value);
    }
}

std::optional<bool> UPowerPowerSources::onBattery(const QVariantMap& properties)
{
    const auto it = properties.find(QStringLiteral("OnBattery"));
    if (it == properties.end())
        return std::nullopt;
    std::optional<bool> value;
    take(value, daemonPath, it.key(), unwrapped(it.value()));
    return value;
}

PowerSourceDescription UPowerPowerSources::describe(const Device& device, bool isDisplayDevice, bool onExternalPower)
{
    PowerSourceDescription d;
    d.isInternalBattery = device.type == battery && (isDisplayDevice || device.powerSupply == true);
    d.isPresent = device.isPresent;
    if (device.percentage) {
        // Hundredths of a percent, so the level rounds as the percentage would.
        d.currentCapacity = int(std::lround(std::clamp(*device.percentage, -1.0, 1000.0) * 100));
        d.maxCapacity = 10000;
    }
    d.isCharging = device.state == charging;
    d.isOnACPower = onExternalPower;
    return d;
}

QList<PowerSourceDescription> UPowerPowerSources::snapshot() const
{
    if (m_isFallbackActive)
        return m_fallback->snapshot();
    if (m_owner.isEmpty())
        return {};
    bool external = false;
    if (m_onBattery) {
        external = !*m_onBattery;
    } else {
        for (const Device& device : m_devices)
            external = external || (device.type == linePower && device.online == true);
    }
    QList<PowerSourceDescription> sources;
    if (m_displayDevice)
        sources.append(describe(*m_displayDevice, true, external));
    for (const QString& path : m_devicePaths) {
        if (const auto it = m_devices.find(path); it != m_devices.end())
            sources.append(describe(*it, false, external));
    }
    return sources;
}

bool UPowerPowerSources::startObserving()
{
    if (m_isObserving)
        return true;
    m_isObserving = true;
    if (!m_bus.isConnected()) {
        qCInfo(lcApp, "No system bus (%s); reading the kernel's power supplies", qUtf8Printable(m_bus.lastError().message()));
        return useFallback();
    }
    m_watcher = std::make_unique<QDBusServiceWatcher>(service, m_bus, QDBusServiceWatcher::WatchForOwnerChange);
    connect(m_watcher.get(), &QDBusServiceWatcher::serviceOwnerChanged, this,
        [this](const QString&, const QString&, const QString& newOwner) {
            if (newOwner == m_owner)
                return;
            detach();
            if (!newOwner.isEmpty()) {
                attach(newOwner);
                return;
            }
            qCInfo(lcApp, "UPower left the system bus");
            if (m_fallback)
                fallBack();
            else
                Q_EMIT changed();
        });
    findOwner(true);
    return true;
}

void UPowerPowerSources::stopObserving()
{
    if (!m_isObserving)
        return;
    m_isObserving = false;
    m_watcher.reset();
    detach();
    leaveFallback();
}

void UPowerPowerSources::findOwner(bool mayStart)
{
    OrgFreedesktopDBusInterface bus(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"), m_bus);
    auto* call = new QDBusPendingCallWatcher(bus.GetNameOwner(service), this);
    const quint64 generation = m_generation;
    connect(call, &QDBusPendingCallWatcher::finished, this, [this, generation, mayStart](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        const QDBusPendingReply<QString> reply = *call;
        if (generation != m_generation || !m_isObserving || !m_owner.isEmpty())
            return;
        if (!reply.isError()) {
            attach(reply.value());
            return;
        }
        if (!mayStart) {
            fallBack();
            return;
        }
        // Not running: D-Bus activation starts it where it is installed.
        OrgFreedesktopDBusInterface bus(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"), m_bus);
        auto* start = new QDBusPendingCallWatcher(bus.StartServiceByName(service, 0), this);
        connect(start, &QDBusPendingCallWatcher::finished, this, [this, generation](QDBusPendingCallWatcher* start) {
            start->deleteLater();
            if (generation != m_generation || !m_isObserving || !m_owner.isEmpty())
                return;
            if (start->isError()) {
                qCInfo(lcApp, "UPower is not available (%s); reading the kernel's power supplies",
                    qUtf8Printable(start->error().message()));
                fallBack();
                return;
            }
            findOwner(false);
        });
    });
}

void UPowerPowerSources::attach(const QString& owner)
{
    leaveFallback();
    m_owner = owner;
    ++m_generation;
    if (!connectSignals(true))
        qCWarning(lcApp, "Unable to follow UPower's signals: %s", qUtf8Printable(m_bus.lastError().message()));
    loadProperties(daemonPath, daemonInterface);
    loadProperties(displayDevicePath, deviceInterface);
    loadDevices();
}

void UPowerPowerSources::detach()
{
    if (m_owner.isEmpty())
        return;
    connectSignals(false);
    m_owner.clear();
    ++m_generation;
    qDeleteAll(m_mirrors);
    m_mirrors.clear();
    m_loading.clear();
    m_onBattery.reset();
    m_displayDevice.reset();
    m_devicePaths.clear();
    m_devices.clear();
}

bool UPowerPowerSources::connectSignals(bool on)
{
    const auto link = [&](const QString& path, const QString& interface, const QString& name, const char* slot) {
        return on ? m_bus.connect(m_owner, path, interface, name, this, slot)
                  : m_bus.disconnect(m_owner, path, interface, name, this, slot);
    };
    // Every path of UPower's: the daemon and each device.
    bool ok = link(QString(), propertiesInterface, QStringLiteral("PropertiesChanged"),
        SLOT(propertiesChanged(QString, QVariantMap, QStringList, QDBusMessage)));
    ok = link(daemonPath, daemonInterface, QStringLiteral("DeviceAdded"), SLOT(deviceAdded(QDBusObjectPath))) && ok;
    ok = link(daemonPath, daemonInterface, QStringLiteral("DeviceRemoved"), SLOT(deviceRemoved(QDBusObjectPath))) && ok;
    return ok;
}

// The switches are quiet: what replaces the old source announces itself
// once it has read, so the status does not blink empty in between.
bool UPowerPowerSources::useFallback()
{
    if (!m_fallback)
        return false;
    if (m_isFallbackActive)
        return true;
    m_isFallbackActive = true;
    return m_fallback->startObserving();
}

void UPowerPowerSources::leaveFallback()
{
    if (!m_isFallbackActive)
        return;
    m_isFallbackActive = false;
    m_fallback->stopObserving();
}

void UPowerPowerSources::fallBack()
{
    // Started as UPower's stand-in, the kernel's folder answers for the
    // sources' observation too.
    if (!useFallback() && m_fallback)
        qCCritical(lcApp, "Unable to observe power source changes");
}

void UPowerPowerSources::loadProperties(const QString& path, const QString& interface)
{
    DBusPropertyMirror*& mirror = m_mirrors[path];
    if (!mirror) {
        mirror = new DBusPropertyMirror(m_bus, m_owner, path, interface, -1, this);
        connect(mirror, &DBusPropertyMirror::read, this, [this, mirror] {
            takeProperties(mirror->path(), mirror->values(), true);
            loadFinished(mirror->path());
        });
        connect(mirror, &DBusPropertyMirror::readFailed, this, [this, mirror](const QString& message) {
            // A device gone since it was listed, or a daemon without a display device.
            qCInfo(lcApp, "UPower did not describe %s: %s", qUtf8Printable(mirror->path()), qUtf8Printable(message));
            loadFinished(mirror->path());
        });
    }
    m_loading.insert(path);
    mirror->readAll();
}

void UPowerPowerSources::takeProperties(const QString& path, const QVariantMap& values, bool whole)
{
    if (path == daemonPath) {
        if (whole || values.contains(QStringLiteral("OnBattery")))
            m_onBattery = onBattery(values);
        return;
    }
    Device* device = path == displayDevicePath ? (m_displayDevice ? &*m_displayDevice : &m_displayDevice.emplace())
        : m_devicePaths.contains(path)         ? &m_devices[path]
                                               : nullptr;
    if (!device)
        return;
    if (whole)
        *device = {};
    update(*device, values, path);
}

void UPowerPowerSources::loadDevices()
{
    OrgFreedesktopUPowerInterface upower(m_owner, daemonPath, m_bus);
    auto* call = new QDBusPendingCallWatcher(upower.EnumerateDevices(), this);
    const quint64 generation = m_generation;
    m_loading.insert(QString());
    connect(call, &QDBusPendingCallWatcher::finished, this, [this, generation](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        if (generation != m_generation)
            return;
        const QDBusPendingReply<QList<QDBusObjectPath>> reply = *call;
        if (reply.isError()) {
            qCWarning(lcApp, "UPower did not list its devices: %s", qUtf8Printable(reply.error().message()));
        } else {
            for (const QDBusObjectPath& path : reply.value()) {
                // DeviceAdded may have come first.
                if (path.path() != displayDevicePath && !m_devicePaths.contains(path.path())) {
                    m_devicePaths.append(path.path());
                    loadProperties(path.path(), deviceInterface);
                }
            }
        }
        loadFinished(QString());
    });
}

void UPowerPowerSources::loadFinished(const QString& path)
{
    m_loading.remove(path);
    if (m_loading.isEmpty())
        Q_EMIT changed();
}

void UPowerPowerSources::propertiesChanged(
    const QString& interface, const QVariantMap& changedProperties, const QStringList& invalidated, const QDBusMessage& message)
{
    if (message.service() != m_owner)
        return;
    DBusPropertyMirror* mirror = m_mirrors.value(message.path());
    if (!mirror || mirror->interface() != interface)
        return;
    takeProperties(mirror->path(), changedProperties, false);
    if (!invalidated.isEmpty())
        m_loading.insert(mirror->path());
    mirror->apply(changedProperties, invalidated);
    if (m_loading.isEmpty())
        Q_EMIT changed();
}

void UPowerPowerSources::deviceAdded(const QDBusObjectPath& path)
{
    if (path.path() == displayDevicePath || m_devicePaths.contains(path.path()))
        return;
    m_devicePaths.append(path.path());
    loadProperties(path.path(), deviceInterface);
}

void UPowerPowerSources::deviceRemoved(const QDBusObjectPath& path)
{
    if (!m_devicePaths.removeOne(path.path()))
        return;
    m_devices.remove(path.path());
    delete m_mirrors.take(path.path());
    // Its answer, if still awaited, never comes now.
    loadFinished(path.path());
}
