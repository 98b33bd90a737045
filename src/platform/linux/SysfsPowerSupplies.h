#pragma once

#include "PowerSources.h"

#include <QString>

#include <memory>

class QSocketNotifier;

/// The power supplies under /sys/class/power_supply, for machines without
/// UPower. Reads happen on a worker thread (a battery's attributes may ask
/// the firmware, which can take a while); changes are the kernel's
/// power_supply uevents, taken from its netlink socket. That needs neither
/// libudev nor a running udevd, which containers and minimal systems lack.
class SysfsPowerSupplies final : public PowerSources {
    Q_OBJECT
public:
    /// `root`: the power_supply class folder.
    explicit SysfsPowerSupplies(QString root, QObject* parent = nullptr);
    ~SysfsPowerSupplies() override;
    SysfsPowerSupplies(const SysfsPowerSupplies&) = delete;
    SysfsPowerSupplies& operator=(const SysfsPowerSupplies&) = delete;

    /// The supplies under `root` in name order. Two or more internal
    /// batteries measured alike are preceded by their combined figure, as
    /// the desktop shows it. Unreadable values are logged and left out.
    static QList<PowerSourceDescription> read(const QString& root);
    /// A kernel uevent datagram about a power supply.
    static bool isPowerSupplyEvent(const QByteArray& datagram);

    QList<PowerSourceDescription> snapshot() const override { return m_snapshot; }
    bool startObserving() override;
    void stopObserving() override;

private:
    void load();
    void receiveEvents();
    void closeSocket();

    QString m_root;
    QList<PowerSourceDescription> m_snapshot;
    // Only the newest read is taken; older ones and those after a stop are dropped.
    quint64 m_generation = 0;
    int m_socket = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
