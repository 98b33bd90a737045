#pragma once

#include "ActivityHost.h"

#include <QList>
#include <QPair>
#include <QSet>

/// An activity host the test calls through as the session's programs would:
/// requests go straight to the handler; ends, actions and watched callers
/// are recorded.
class FakeActivityHost final : public ActivityHost {
public:
    bool open() override
    {
        ++opened;
        return openSucceeds;
    }
    void announceEnded(quint32 id, ActivityEndReason reason) override { ended.append({ id, reason }); }
    void announceAction(quint32 id, const QString& action) override { actions.append({ id, action }); }
    void watchCaller(const QString& caller) override { watched.insert(caller); }
    void unwatchCaller(const QString& caller) override { watched.remove(caller); }

    /// The handler's answers, as `caller`; a refusal without a handler.
    ActivityAnswer start(const QString& caller, const QString& title, const QVariantMap& hints = {},
        const QString& appId = QStringLiteral("test-app"))
    {
        return handler() ? handler()->start(caller, appId, title, hints) : unhandled();
    }
    ActivityAnswer update(const QString& caller, quint32 id, const QVariantMap& hints)
    {
        return handler() ? handler()->update(caller, id, hints) : unhandled();
    }
    ActivityAnswer end(const QString& caller, quint32 id) { return handler() ? handler()->end(caller, id) : unhandled(); }
    QList<ActivitySummary> list() const { return handler() ? handler()->list() : QList<ActivitySummary>(); }

    /// `caller`'s connection closes: reported as the real host does, only
    /// while it is watched.
    void leave(const QString& caller)
    {
        if (watched.remove(caller))
            Q_EMIT callerLeft(caller);
    }

    int opened = 0;
    bool openSucceeds = true;
    QList<QPair<quint32, ActivityEndReason>> ended;
    QList<QPair<quint32, QString>> actions;
    QSet<QString> watched;

private:
    static ActivityAnswer unhandled()
    {
        return ActivityAnswer::refused(ActivityRefusal::notAllowed, QStringLiteral("no handler"));
    }
};
