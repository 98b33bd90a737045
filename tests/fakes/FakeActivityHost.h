#pragma once

#include "ActivityHost.h"

#include <QSet>

#include <utility>

/// A host whose callers are the test: requests go straight to the handler,
/// announcements are recorded, and a watched caller leaves on request.
class FakeActivityHost final : public ActivityHost {
public:
    bool open() override { return opened = true; }
    void announceEnded(quint32 id, ActivityEndReason reason) override { ended.append({ id, reason }); }
    void announceAction(quint32 id, const QString& action) override { actions.append({ id, action }); }
    void watchCaller(const QString& caller) override { watched.insert(caller); }
    void unwatchCaller(const QString& caller) override { watched.remove(caller); }

    ActivityAnswer start(const QString& caller, const QString& title, const QVariantMap& hints = {})
    {
        return handler()->start(caller, QStringLiteral("org.example.Test"), title, hints);
    }
    ActivityAnswer update(const QString& caller, quint32 id, const QVariantMap& hints)
    {
        return handler()->update(caller, id, hints);
    }
    ActivityAnswer end(const QString& caller, quint32 id) { return handler()->end(caller, id); }
    void leave(const QString& caller)
    {
        if (watched.contains(caller))
            Q_EMIT callerLeft(caller);
    }

    bool opened = false;
    QList<std::pair<quint32, ActivityEndReason>> ended;
    QList<std::pair<quint32, QString>> actions;
    QSet<QString> watched;
};
