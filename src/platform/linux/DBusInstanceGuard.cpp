#include "DBusInstanceGuard.h"

#include "Log.h"
#include "application_adaptor.h"
#include "application_interface.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>

namespace {
constexpr int reopenBoundMs = 1500;
const QByteArray reopenWord = "activate\n";
} // namespace

DBusInstanceGuard::DBusInstanceGuard(QString serviceName, QObject* parent)
    : InstanceGuard(parent)
    , m_serviceName(std::move(serviceName))
{
}

DBusInstanceGuard::~DBusInstanceGuard() = default;

QString DBusInstanceGuard::objectPath(const QString& serviceName)
{
    return QLatin1Char('/') + QString(serviceName).replace(QLatin1Char('.'), QLatin1Char('/'));
}

bool DBusInstanceGuard::claim()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return claimWithLockFile();

    m_usingBus = true;
    // Serve the interface before taking the name so an Activate that arrives
    // right after the name appears finds the object.
    new ApplicationAdaptor(this);
    bus.registerObject(objectPath(m_serviceName), this);
    const auto reply = bus.interface()->registerService(
        m_serviceName, QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered)
        return true;
    bus.unregisterObject(objectPath(m_serviceName));
    // Only a name that another connection holds means another copy; an error
    // reply (access denied, a timeout) says nothing about other copies.
    if (reply.isValid())
        return false;
    qCCritical(lcApp, "Unable to own the bus name %s: %s; using a lock file instead", qUtf8Printable(m_serviceName),
        qUtf8Printable(reply.error().message()));
    m_usingBus = false;
    return claimWithLockFile();
}

void DBusInstanceGuard::requestReopen(std::function<void()> done)
{
    if (!m_usingBus) {
        reopenThroughSocket(std::move(done));
        return;
    }
    auto* iface
        = new OrgFreedesktopApplicationInterface(m_serviceName, objectPath(m_serviceName), QDBusConnection::sessionBus(), this);
    iface->setTimeout(reopenBoundMs);
    auto* watcher = new QDBusPendingCallWatcher(iface->Activate({}), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, iface, done] {
        if (watcher->isError())
            qCCritical(lcApp, "Unable to ask the running instance to reopen: %s", qUtf8Printable(watcher->error().message()));
        watcher->deleteLater();
        iface->deleteLater();
        done();
    });
}

void DBusInstanceGuard::Activate(const QVariantMap&)
{
    Q_EMIT reopenRequested();
}

void DBusInstanceGuard::Open(const QStringList&, const QVariantMap&)
{
    Q_EMIT reopenRequested();
}

void DBusInstanceGuard::ActivateAction(const QString&, const QVariantList&, const QVariantMap&)
{
    Q_EMIT reopenRequested();
}

QString DBusInstanceGuard::runtimePath(const QString& suffix) const
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    return dir + QLatin1Char('/') + m_serviceName + suffix;
}

bool DBusInstanceGuard::claimWithLockFile()
{
    m_lock = std::make_unique<QLockFile>(runtimePath(QStringLiteral(".lock")));
    m_lock->setStaleLockTime(0); // a crashed owner's lock is detected by its pid
    if (!m_lock->tryLock(0)) {
        // Only a lock that a live process holds means another copy.
        if (m_lock->error() == QLockFile::LockFailedError)
            return false;
        qCCritical(lcApp, "Unable to take the lock file %s (%s); starting without a single-instance guard",
            qUtf8Printable(runtimePath(QStringLiteral(".lock"))),
            m_lock->error() == QLockFile::PermissionError ? "permission denied" : "unknown error");
        m_lock.reset();
        return true;
    }

    const QString socketPath = runtimePath(QStringLiteral(".socket"));
    QLocalServer::removeServer(socketPath);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(socketPath)) {
        qCCritical(lcApp, "Unable to listen for reopen requests: %s", qUtf8Printable(m_server->errorString()));
        return true;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->canReadLine() && socket->readLine() == reopenWord) {
                    Q_EMIT reopenRequested();
                    socket->disconnectFromServer();
                }
            });
        }
    });
    return true;
}

void DBusInstanceGuard::reopenThroughSocket(std::function<void()> done)
{
    auto* socket = new QLocalSocket(this);
    auto finished = std::make_shared<bool>(false);
    auto finish = [socket, finished, done] {
        if (*finished)
            return;
        *finished = true;
        socket->deleteLater();
        done();
    };
    connect(socket, &QLocalSocket::connected, socket, [socket] { socket->write(reopenWord); });
    connect(socket, &QLocalSocket::bytesWritten, socket, [socket, finish] {
        if (socket->bytesToWrite() == 0)
            finish();
    });
    connect(socket, &QLocalSocket::errorOccurred, socket, [finish](QLocalSocket::LocalSocketError) { finish(); });
    QTimer::singleShot(reopenBoundMs, socket, finish);
    socket->connectToServer(runtimePath(QStringLiteral(".socket")));
}
