#pragma once

#include "PowerSources.h"

#include <QDBusConnection>
#include <QHash>
#include <QSet>
#include <QStringList>

#include <memory>
#include <optional>

class DBusPropertyMirror;
class QDBusMessage;
class QDBusObjectPath;
class QDBusServiceWatcher;

/// The power sources as UPower reports them on the system bus: first its
/// display device (the desktop's combined figure of the internal
/// batteries), then every device in UPower's order. Mirrored with
/// asynchronous GetAll calls and followed through PropertiesChanged,
/// DeviceAdded and DeviceRemoved; a UPower that restarts is taken up again.
/// While no UPower runs and none can be started, `fallback` is read instead.
class UPowerPowerSources final : public PowerSources {
    Q_OBJECT
public:
    /// What the battery reads of one UPower device; a property UPower did
    /// not send, or sent with the wrong type, is absent.
    struct Device {
        /// 1 line power, 2 battery, 3 UPS, 5 mouse, …
        std::optional<uint> type;
        /// Powers the machine (not a mouse's or a phone's battery).
        std::optional<bool> powerSupply;
        std::optional<bool> isPresent;
        std::optional<double> percentage;
        /// 1 charging, 2 discharging, 4 fully charged, …
        std::optional<uint> state;
        /// A line-power device is plugged in.
        std::optional<bool> online;

        friend bool operator==(const Device&, const Device&) = default;
    };

    UPowerPowerSources(QDBusConnection systemBus, PowerSources* fallback = nullptr, QObject* parent = nullptr);
    ~UPowerPowerSources() override;
    UPowerPowerSources(const UPowerPowerSources&) = delete;
    UPowerPowerSources& operator=(const UPowerPowerSources&) = delete;

    /// Takes the properties UPower sent for the device at `path`; a value
    /// of the wrong type is logged with the path and dropped.
    static void update(Device& device, const QVariantMap& properties, const QString& path);
    /// The daemon's OnBattery from its properties, when it has the right type.
    static std::optional<bool> onBattery(const QVariantMap& properties);
    /// The description of a device. The display device counts as the
    /// internal battery whenever it is a battery; others also need to power
    /// the machine. External power: the daemon's OnBattery, else an online
    /// line-power device.
    static PowerSourceDescription describe(const Device& device, bool isDisplayDevice, bool onExternalPower);

    QList<PowerSourceDescription> snapshot() const override;
    bool startObserving() override;
    void stopObserving() override;

    /// UPower answers; false while the fallback is read (or nothing is).
    bool isUsingUPower() const { return !m_owner.isEmpty(); }

private Q_SLOTS:
    void propertiesChanged(
        const QString& interface, const QVariantMap& changed, const QStringList& invalidated, const QDBusMessage& message);
    void deviceAdded(const QDBusObjectPath& path);
    void deviceRemoved(const QDBusObjectPath& path);

private:
    void findOwner(bool mayStart);
    void attach(const QString& owner);
    void detach();
    /// Reads the fallback instead; whether its changes are followed (false without one).
    bool useFallback();
    void leaveFallback();
    /// useFallback(), logged when the fallback cannot follow changes.
    void fallBack();
    void loadProperties(const QString& path, const QString& interface);
    void takeProperties(const QString& path, const QVariantMap& values, bool whole);
    void loadDevices();
    void loadFinished(const QString& path);
    bool connectSignals(bool on);

    QDBusConnection m_bus;
    PowerSources* m_fallback;
    std::unique_ptr<QDBusServiceWatcher> m_watcher;
    bool m_isObserving = false;
    bool m_isFallbackActive = false;
    // UPower's unique name while attached; calls and signals go to it only,
    // so Qt never looks a name up with a blocking call.
    QString m_owner;
    // Replies of an earlier attachment (or of before a stop) are dropped.
    quint64 m_generation = 0;
    // The daemon's and each device's properties, by path, while attached.
    QHash<QString, DBusPropertyMirror*> m_mirrors;
    // Paths whose whole read is awaited (the empty path: the device list);
    // changes are announced once none is, so the status never flickers
    // through half-read states.
    QSet<QString> m_loading;
    std::optional<bool> m_onBattery;
    std::optional<Device> m_displayDevice;
    QStringList m_devicePaths;
    QHash<QString, Device> m_devices;
};
