#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QProcess>
#include <QSignalSpy>

#include <gtest/gtest.h>

/// A named connection to a test's private bus, closed with the object so
/// that the next test's bus of the same name is a new one.
class BusConnection : public QDBusConnection {
public:
    BusConnection(const QString& address, const QString& name)
        : QDBusConnection(connectToBus(address, name))
    {
    }
    ~BusConnection() { disconnectFromBus(name()); }
    BusConnection(const BusConnection&) = delete;
    BusConnection& operator=(const BusConnection&) = delete;
};

/// One python3-dbusmock service on a test's private session bus: started
/// with its main object, driven through its org.freedesktop.DBus.Mock
/// interface, stopped with the object.
class DBusMock {
public:
    DBusMock(QDBusConnection bus, const QString& address, const QString& service, const QString& path, const QString& interface)
        : DBusMock(std::move(bus), address, service, QStringList { service, path, interface })
    {
    }
    /// A mock from a template or with other options of dbusmock's command
    /// line (e.g. "-t", file); `service` is the name it takes on the bus.
    DBusMock(QDBusConnection bus, const QString& address, const QString& service, const QStringList& arguments)
        : m_bus(std::move(bus))
        , m_service(service)
    {
        QDBusServiceWatcher watcher(service, m_bus, QDBusServiceWatcher::WatchForRegistration);
        QSignalSpy registered(&watcher, &QDBusServiceWatcher::serviceRegistered);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DBUS_SESSION_BUS_ADDRESS", address);
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.start("/usr/bin/python3", QStringList { "-m", "dbusmock", "--session" } + arguments);
        EXPECT_TRUE(registered.wait(10000)) << "dbusmock did not start " << qPrintable(service);
    }
    ~DBusMock() { stop(); }
    DBusMock(const DBusMock&) = delete;
    DBusMock& operator=(const DBusMock&) = delete;

    void stop()
    {
        m_process.kill();
        m_process.waitForFinished(2000);
    }

    /// A call on the mock's control interface of the object at `path`.
    QDBusMessage mock(const QString& path, const QString& method, const QVariantList& arguments)
    {
        QDBusMessage call = QDBusMessage::createMethodCall(m_service, path, "org.freedesktop.DBus.Mock", method);
        call.setArguments(arguments);
        const QDBusMessage reply = m_bus.call(call);
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << qPrintable(method) << ": " << qPrintable(reply.errorMessage());
        return reply;
    }

    /// The arguments of each call of `method` on the object at `path`, oldest first.
    QList<QVariantList> calls(const QString& path, const QString& method)
    {
        const QDBusMessage reply = mock(path, "GetMethodCalls", { method });
        QList<QVariantList> calls;
        const QDBusArgument list = reply.arguments().value(0).value<QDBusArgument>();
        list.beginArray();
        while (!list.atEnd()) {
            quint64 time = 0;
            QVariantList arguments;
            list.beginStructure();
            list >> time >> arguments;
            list.endStructure();
            calls.append(arguments);
        }
        list.endArray();
        return calls;
    }

private:
    QDBusConnection m_bus;
    QString m_service;
    QProcess m_process;
};
