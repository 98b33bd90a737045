#pragma once

#include "DeviceSharing.h"

#include <QDBusConnection>

#include <memory>

class QDBusServiceWatcher;
class OrgKdeKdeconnectDaemonInterface;

/// Sending files to the user's phones and computers through the KDE Connect
/// daemon on the session bus, and by e-mail through xdg-email. The daemon
/// is never started by us; its devices are followed while it runs, each
/// list read asynchronously (reachable paired devices, then their names).
class KdeConnectSharing final : public DeviceSharing {
    Q_OBJECT
public:
    explicit KdeConnectSharing(QDBusConnection sessionBus, QObject* parent = nullptr);
    ~KdeConnectSharing() override;
    Q_DISABLE_COPY_MOVE(KdeConnectSharing)

    QList<Device> devices() const override { return m_devices; }
    bool canEmail() const override { return !m_xdgEmail.isEmpty(); }
    bool send(const QList<QUrl>& files, const QString& deviceId) override;
    void email(const QList<QUrl>& files) override;

    /// The device as listed: its name when the daemon sent a usable one,
    /// else its id (a name of the wrong type or blank is logged; an absent
    /// one was logged by whoever failed to read it).
    static Device describe(const QString& id, const QVariant& name);

private Q_SLOTS:
    void refresh();

private:
    void findOwner();
    void attach(const QString& owner);
    void detach();
    void refreshed(const QList<Device>& devices);
    void setDevices(const QList<Device>& devices);

    QDBusConnection m_bus;
    const QString m_xdgEmail;
    std::unique_ptr<QDBusServiceWatcher> m_watcher;
    // The daemon's unique name while it runs; calls go to it, so Qt never
    // looks the well-known name up with a blocking call.
    QString m_owner;
    std::unique_ptr<OrgKdeKdeconnectDaemonInterface> m_daemon;
    // Answers of an earlier daemon are dropped.
    quint64 m_generation = 0;
    // One list read at a time; changes meanwhile ask for one more.
    bool m_isRefreshing = false;
    bool m_isRefreshWanted = false;
    bool m_toldNotRunning = false;
    QList<Device> m_devices;
};
