#include "DBusActivityHost.h"

#include "PlatformLog.h"
#include "activities_adaptor.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>

QDBusArgument& operator<<(QDBusArgument& arg, const ActivitySummary& summary)
{
    arg.beginStructure();
    arg << summary.id << summary.appId << summary.title << summary.hints;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, ActivitySummary& summary)
{
    arg.beginStructure();
    arg >> summary.id >> summary.appId >> summary.title >> summary.hints;
    arg.endStructure();
    return arg;
}

DBusActivityHost::DBusActivityHost(QDBusConnection connection, QObject* parent)
    : ActivityHost(parent)
    , m_connection(std::move(connection))
    , m_watcher(new QDBusServiceWatcher(this))
{
    registerTypes();
    new Activities1Adaptor(this);
    m_watcher->setConnection(m_connection);
    m_watcher->setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
    connect(m_watcher, &QDBusServiceWatcher::serviceUnregistered, this, &DBusActivityHost::left);
}

void DBusActivityHost::registerTypes()
{
    qDBusRegisterMetaType<ActivitySummary>();
    qDBusRegisterMetaType<QList<ActivitySummary>>();
}

DBusActivityHost::~DBusActivityHost()
{
    if (m_registered)
        m_connection.unregisterObject(QLatin1String(objectPath));
}

bool DBusActivityHost::open()
{
    if (m_registered)
        return true;
    if (!m_connection.isConnected()) {
        qCWarning(lcPlatformActivities, "No session bus: other programs cannot show live activities (%s)",
            qUtf8Printable(m_connection.lastError().message()));
        return false;
    }
    if (!m_connection.registerObject(QLatin1String(objectPath), this, QDBusConnection::ExportAdaptors)) {
        qCWarning(lcPlatformActivities, "Unable to serve live activities at %s: the path is taken", objectPath);
        return false;
    }
    m_registered = true;
    qCInfo(lcPlatformActivities, "Live activities served at %s on %s", objectPath, qUtf8Printable(m_connection.baseService()));
    return true;
}

QString DBusActivityHost::errorName(ActivityRefusal refusal)
{
    const char* reason = "Invalid";
    switch (refusal) {
    case ActivityRefusal::invalid:
        break;
    case ActivityRefusal::tooMany:
        reason = "TooMany";
        break;
    case ActivityRefusal::notFound:
        reason = "NotFound";
        break;
    case ActivityRefusal::notAllowed:
        reason = "NotAllowed";
        break;
    }
    return QLatin1String(interfaceName) + QLatin1String(".Error.") + QLatin1String(reason);
}

void DBusActivityHost::announceEnded(quint32 id, ActivityEndReason reason)
{
    Q_EMIT Ended(id, uint(reason));
}

void DBusActivityHost::announceAction(quint32 id, const QString& action)
{
    Q_EMIT ActionInvoked(id, action);
}

void DBusActivityHost::watchCaller(const QString& caller)
{
    if (m_watched.contains(caller))
        return;
    m_watched.insert(caller);
    m_watcher->addWatchedService(caller);
    // The caller may have gone before the watch began; unique names are
    // never reused, so an answer "no owner" is final.
    auto* call = new QDBusPendingCallWatcher(m_connection.interface()->asyncCall(QStringLiteral("NameHasOwner"), caller), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this, call, caller] {
        call->deleteLater();
        const QDBusPendingReply<bool> reply = *call;
        if (reply.isError()) {
            qCWarning(lcPlatformActivities, "Unable to learn whether %s is still connected: %s", qUtf8Printable(caller),
                qUtf8Printable(reply.error().message()));
            return;
        }
        if (!reply.value())
            left(caller);
    });
}

void DBusActivityHost::unwatchCaller(const QString& caller)
{
    if (m_watched.remove(caller))
        m_watcher->removeWatchedService(caller);
}

void DBusActivityHost::left(const QString& caller)
{
    // Told by the watcher and the first check alike: once is enough.
    if (!m_watched.contains(caller))
        return;
    unwatchCaller(caller);
    qCInfo(lcPlatformActivities, "%s left the bus", qUtf8Printable(caller));
    Q_EMIT callerLeft(caller);
}

ActivityHost::Handler* DBusActivityHost::handlerForCall()
{
    Handler* h = handler();
    if (!h) {
        sendErrorReply(errorName(ActivityRefusal::notAllowed), QStringLiteral("Brimwell is not taking live activities now"));
    }
    return h;
}

uint DBusActivityHost::answer(const ActivityAnswer& answer)
{
    if (answer.refusal)
        sendErrorReply(errorName(*answer.refusal), answer.message);
    return answer.id;
}

uint DBusActivityHost::Start(const QString& appId, const QString& title, const QVariantMap& hints)
{
    Handler* h = handlerForCall();
    return h ? answer(h->start(message().service(), appId, title, hints)) : 0;
}

void DBusActivityHost::Update(uint id, const QVariantMap& hints)
{
    if (Handler* h = handlerForCall())
        answer(h->update(message().service(), id, hints));
}

void DBusActivityHost::End(uint id)
{
    if (Handler* h = handlerForCall())
        answer(h->end(message().service(), id));
}

QList<ActivitySummary> DBusActivityHost::List()
{
    Handler* h = handlerForCall();
    return h ? h->list() : QList<ActivitySummary>();
}
