#include "DBusPropertyMirror.h"

#include "PlatformLog.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

DBusPropertyMirror::DBusPropertyMirror(const QDBusConnection& bus, const QString& service, const QString& path,
    const QString& interface, int timeoutMs, QObject* parent)
    : QObject(parent)
    , m_bus(bus)
    , m_service(service)
    , m_path(path)
    , m_interface(interface)
    , m_timeoutMs(timeoutMs)
{
}

void DBusPropertyMirror::readAll()
{
    const quint64 sent = ++m_read;
    m_signalledSinceRead.clear();
    QDBusMessage call = QDBusMessage::createMethodCall(
        m_service, m_path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("GetAll"));
    call << m_interface;
    qCDebug(
        lcTraceDBus, "GetAll(%s) sent to %s %s", qUtf8Printable(m_interface), qUtf8Printable(m_service), qUtf8Printable(m_path));
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, m_timeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, sent] {
        watcher->deleteLater();
        if (sent != m_read)
            return;
        const QDBusPendingReply<QVariantMap> reply = *watcher;
        if (reply.isError()) {
            Q_EMIT readFailed(reply.error().message());
            return;
        }
        QVariantMap values = reply.value();
        for (const QString& name : std::as_const(m_signalledSinceRead)) {
            if (const auto signalled = m_values.constFind(name); signalled != m_values.cend())
                values.insert(name, *signalled);
            else
                values.remove(name);
        }
        m_values = std::move(values);
        Q_EMIT read();
    });
}

void DBusPropertyMirror::apply(const QVariantMap& changed, const QStringList& invalidated)
{
    for (auto it = changed.cbegin(); it != changed.cend(); ++it) {
        m_values.insert(it.key(), it.value());
        m_signalledSinceRead.insert(it.key());
    }
    if (invalidated.isEmpty())
        return;
    for (const QString& name : invalidated)
        m_values.remove(name);
    readAll();
}
