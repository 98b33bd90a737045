#pragma once

#include "ActivityHost.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusContext>
#include <QMetaType>
#include <QSet>

class QDBusServiceWatcher;

Q_DECLARE_METATYPE(ActivitySummary)

QDBusArgument& operator<<(QDBusArgument& arg, const ActivitySummary& summary);
const QDBusArgument& operator>>(const QDBusArgument& arg, ActivitySummary& summary);

/// The activity host on a D-Bus connection: the object
/// /com/larkmoor/Brimwell/Activities with com.larkmoor.Brimwell.Activities1
/// (resources/dbus-1/interfaces). A caller is the unique name of the
/// connection a request came from; a refusal is an error reply named after
/// its reason.
class DBusActivityHost final : public ActivityHost, protected QDBusContext {
    Q_OBJECT
public:
    static constexpr const char* objectPath = "/com/larkmoor/Brimwell/Activities";
    static constexpr const char* interfaceName = "com.larkmoor.Brimwell.Activities1";

    explicit DBusActivityHost(QDBusConnection connection, QObject* parent = nullptr);
    ~DBusActivityHost() override;
    Q_DISABLE_COPY_MOVE(DBusActivityHost)

    bool open() override;
    void announceEnded(quint32 id, ActivityEndReason reason) override;
    void announceAction(quint32 id, const QString& action) override;
    void watchCaller(const QString& caller) override;
    void unwatchCaller(const QString& caller) override;

    /// Lets QtDBus carry List()'s answer; the host does it itself, callers
    /// of List() before their first call.
    static void registerTypes();
    /// The D-Bus error name for a refusal.
    static QString errorName(ActivityRefusal refusal);

    /// Called by the D-Bus adaptor, in a call's context.
    uint Start(const QString& appId, const QString& title, const QVariantMap& hints);
    void Update(uint id, const QVariantMap& hints);
    void End(uint id);
    QList<ActivitySummary> List();

Q_SIGNALS:
    void ActionInvoked(uint id, const QString& action);
    void Ended(uint id, uint reason);

private:
    // The handler, or null after answering the call with NotAllowed.
    Handler* handlerForCall();
    // Replies with the refusal's error when there is one; the id otherwise.
    uint answer(const ActivityAnswer& answer);
    void left(const QString& caller);

    QDBusConnection m_connection;
    QDBusServiceWatcher* m_watcher;
    QSet<QString> m_watched;
    bool m_registered = false;
};
