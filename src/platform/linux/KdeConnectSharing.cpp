#include "KdeConnectSharing.h"

#include "PlatformLog.h"
#include "dbus_interface.h"
#include "kdeconnect_daemon_interface.h"
#include "kdeconnect_share_interface.h"
#include "properties_interface.h"

#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <memory>

namespace {

const QString service = QStringLiteral("org.kde.kdeconnect");
const QString daemonPath = QStringLiteral("/modules/kdeconnect");
const QString deviceInterface = QStringLiteral("org.kde.kdeconnect.device");

QString devicePath(const QString& id)
{
    return daemonPath + QStringLiteral("/devices/") + id;
}

// The daemon's ids are path elements already; anything else cannot be addressed.
bool isUsableId(const QString& id)
{
    static const QRegularExpression element(QStringLiteral("^[A-Za-z0-9_]+$"));
    return element.match(id).hasMatch();
}

} // namespace

KdeConnectSharing::KdeConnectSharing(QDBusConnection sessionBus, QObject* parent)
    : DeviceSharing(parent)
    , m_bus(std::move(sessionBus))
    , m_xdgEmail(QStandardPaths::findExecutable(QStringLiteral("xdg-email")))
{
    if (!m_bus.isConnected())
        return;
    m_watcher = std::make_unique<QDBusServiceWatcher>(service, m_bus, QDBusServiceWatcher::WatchForOwnerChange);
    connect(m_watcher.get(), &QDBusServiceWatcher::serviceOwnerChanged, this,
        [this](const QString&, const QString&, const QString& newOwner) {
            if (newOwner == m_owner)
                return;
            detach();
            if (!newOwner.isEmpty())
                attach(newOwner);
        });
    findOwner();
}

KdeConnectSharing::~KdeConnectSharing() = default;

KdeConnectSharing::Device KdeConnectSharing::describe(const QString& id, const QVariant& name)
{
    const QVariant value
        = name.metaType() == QMetaType::fromType<QDBusVariant>() ? qvariant_cast<QDBusVariant>(name).variant() : name;
    if (value.metaType().id() == QMetaType::QString && !value.toString().trimmed().isEmpty())
        return { id, value.toString() };
    if (value.isValid())
        qCInfo(lcPlatformFiles, "KDE Connect device %s has no usable name (%s); showing its id", qUtf8Printable(id),
            value.typeName());
    return { id, id };
}

void KdeConnectSharing::findOwner()
{
    OrgFreedesktopDBusInterface bus(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"), m_bus);
    auto* call = new QDBusPendingCallWatcher(bus.GetNameOwner(service), this);
    const quint64 generation = m_generation;
    connect(call, &QDBusPendingCallWatcher::finished, this, [this, generation](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        const QDBusPendingReply<QString> reply = *call;
        // Not running is the usual case; the watcher sees it arrive.
        if (generation == m_generation && m_owner.isEmpty() && !reply.isError())
            attach(reply.value());
    });
}

void KdeConnectSharing::attach(const QString& owner)
{
    m_owner = owner;
    ++m_generation;
    m_toldNotRunning = false;
    m_daemon = std::make_unique<OrgKdeKdeconnectDaemonInterface>(m_owner, daemonPath, m_bus);
    // Pairing and reachability changes come as visibility changes.
    connect(m_daemon.get(), &OrgKdeKdeconnectDaemonInterface::deviceAdded, this, &KdeConnectSharing::refresh);
    connect(m_daemon.get(), &OrgKdeKdeconnectDaemonInterface::deviceRemoved, this, &KdeConnectSharing::refresh);
    connect(m_daemon.get(), &OrgKdeKdeconnectDaemonInterface::deviceVisibilityChanged, this, &KdeConnectSharing::refresh);
    if (!m_bus.connect(m_owner, QString(), deviceInterface, QStringLiteral("nameChanged"), this, SLOT(refresh())))
        qCWarning(
            lcPlatformFiles, "Unable to follow KDE Connect's device names: %s", qUtf8Printable(m_bus.lastError().message()));
    refresh();
}

void KdeConnectSharing::detach()
{
    if (m_owner.isEmpty())
        return;
    m_bus.disconnect(m_owner, QString(), deviceInterface, QStringLiteral("nameChanged"), this, SLOT(refresh()));
    m_daemon.reset();
    m_owner.clear();
    ++m_generation;
    m_isRefreshing = false;
    m_isRefreshWanted = false;
    setDevices({});
}

void KdeConnectSharing::refresh()
{
    if (!m_daemon)
        return;
    if (m_isRefreshing) {
        m_isRefreshWanted = true;
        return;
    }
    m_isRefreshing = true;
    auto* call = new QDBusPendingCallWatcher(m_daemon->devices(true, true), this);
    const quint64 generation = m_generation;
    connect(call, &QDBusPendingCallWatcher::finished, this, [this, generation](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        if (generation != m_generation)
            return;
        const QDBusPendingReply<QStringList> reply = *call;
        if (reply.isError()) {
            qCWarning(lcPlatformFiles, "KDE Connect did not list its devices: %s", qUtf8Printable(reply.error().message()));
            refreshed(m_devices);
            return;
        }
        QStringList ids;
        for (const QString& id : reply.value()) {
            if (isUsableId(id)) {
                if (!ids.contains(id))
                    ids.append(id);
            } else {
                qCWarning(lcPlatformFiles, "KDE Connect listed a device id that is no object path element: \"%s\"; ignored",
                    qUtf8Printable(id));
            }
        }
        if (ids.isEmpty()) {
            refreshed({});
            return;
        }
        // The names, then the list in the daemon's order.
        struct Names {
            QStringList ids;
            QHash<QString, QVariant> values;
        };
        auto names = std::make_shared<Names>(Names { ids, {} });
        for (const QString& id : ids) {
            OrgFreedesktopDBusPropertiesInterface device(m_owner, devicePath(id), m_bus);
            auto* get = new QDBusPendingCallWatcher(device.Get(deviceInterface, QStringLiteral("name")), this);
            connect(get, &QDBusPendingCallWatcher::finished, this, [this, generation, names, id](QDBusPendingCallWatcher* get) {
                get->deleteLater();
                if (generation != m_generation)
                    return;
                const QDBusPendingReply<QDBusVariant> reply = *get;
                if (reply.isError())
                    qCInfo(lcPlatformFiles, "KDE Connect did not name device %s: %s", qUtf8Printable(id),
                        qUtf8Printable(reply.error().message()));
                names->values.insert(id, reply.isError() ? QVariant() : reply.value().variant());
                if (names->values.size() < names->ids.size())
                    return;
                QList<Device> devices;
                for (const QString& each : std::as_const(names->ids))
                    devices.append(describe(each, names->values.value(each)));
                refreshed(devices);
            });
        }
    });
}

void KdeConnectSharing::refreshed(const QList<Device>& devices)
{
    m_isRefreshing = false;
    setDevices(devices);
    if (m_isRefreshWanted) {
        m_isRefreshWanted = false;
        refresh();
    }
}

void KdeConnectSharing::setDevices(const QList<Device>& devices)
{
    if (devices == m_devices)
        return;
    m_devices = devices;
    Q_EMIT availabilityChanged();
}

bool KdeConnectSharing::send(const QList<QUrl>& files, const QString& deviceId)
{
    if (m_owner.isEmpty()) {
        if (!m_toldNotRunning)
            qCInfo(lcPlatformFiles, "KDE Connect is not running; there is no device to send files to");
        m_toldNotRunning = true;
        return false;
    }
    const auto device = std::find_if(m_devices.begin(), m_devices.end(), [&](const Device& d) { return d.id == deviceId; });
    if (device == m_devices.end()) {
        qCInfo(lcPlatformFiles, "KDE Connect device %s is not paired and reachable; nothing sent", qUtf8Printable(deviceId));
        return false;
    }
    OrgKdeKdeconnectDeviceShareInterface share(m_owner, devicePath(deviceId) + QStringLiteral("/share"), m_bus);
    for (const QUrl& file : files) {
        // Encoded, so that a "%" in a file name is not taken for an escape.
        auto* call = new QDBusPendingCallWatcher(share.shareUrl(file.toString(QUrl::FullyEncoded)), this);
        connect(call, &QDBusPendingCallWatcher::finished, this, [file, name = device->name](QDBusPendingCallWatcher* call) {
            call->deleteLater();
            if (call->isError())
                qCWarning(lcPlatformFiles, "Unable to send %s to %s: %s",
                    qUtf8Printable(file.toDisplayString(QUrl::PreferLocalFile)), qUtf8Printable(name),
                    qUtf8Printable(call->error().message()));
        });
    }
    return true;
}

void KdeConnectSharing::email(const QList<QUrl>& files)
{
    if (m_xdgEmail.isEmpty()) {
        qCWarning(lcPlatformFiles, "No e-mail program to attach files to: xdg-email is not installed");
        return;
    }
    QStringList arguments;
    for (const QUrl& file : files) {
        // xdg-email refuses the whole mail for one folder or remote URL.
        if (file.isLocalFile() && QFileInfo(file.toLocalFile()).isFile())
            arguments << QStringLiteral("--attach") << file.toLocalFile();
        else
            qCInfo(lcPlatformFiles, "Only files on this computer, not folders, can be attached to an e-mail; %s left out",
                qUtf8Printable(file.toDisplayString(QUrl::PreferLocalFile)));
    }
    if (arguments.isEmpty())
        return;
    if (!QProcess::startDetached(m_xdgEmail, arguments))
        qCWarning(lcPlatformFiles, "Unable to start %s", qUtf8Printable(m_xdgEmail));
}
