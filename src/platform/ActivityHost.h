#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <optional>

/// Why a request about a live activity was refused.
enum class ActivityRefusal { invalid, tooMany, notFound, notAllowed };

/// Why an activity ended, in the numbers callers are told.
enum class ActivityEndReason : quint32 { byOwner = 1, byUser = 2, timedOut = 3, ownerLeft = 4 };

/// The answer to one request: the activity's id, or a refusal with its
/// reason in words.
struct ActivityAnswer {
    quint32 id = 0;
    std::optional<ActivityRefusal> refusal;
    QString message;

    static ActivityAnswer accepted(quint32 id = 0) { return { id, std::nullopt, {} }; }
    static ActivityAnswer refused(ActivityRefusal refusal, QString message) { return { 0, refusal, std::move(message) }; }
};

/// One running activity as a listing reports it: its hints as last given.
struct ActivitySummary {
    quint32 id = 0;
    QString appId;
    QString title;
    QVariantMap hints;
};

/// Where the programs of the session ask to show, change and end live
/// activities. Requests go to the handler, which answers at once; the host
/// tells callers when an activity ended or one of its actions was pressed,
/// and reports callers that leave while it watches them.
class ActivityHost : public QObject {
    Q_OBJECT
public:
    /// Answers the requests; `caller` names the requesting connection.
    class Handler {
    public:
        virtual ~Handler() = default;
        virtual ActivityAnswer start(const QString& caller, const QString& appId, const QString& title, const QVariantMap& hints)
            = 0;
        virtual ActivityAnswer update(const QString& caller, quint32 id, const QVariantMap& hints) = 0;
        virtual ActivityAnswer end(const QString& caller, quint32 id) = 0;
        virtual QList<ActivitySummary> list() const = 0;
    };

    using QObject::QObject;

    void setHandler(Handler* handler) { m_handler = handler; }
    /// Starts taking requests; false, with a log line, when it cannot.
    virtual bool open() = 0;
    virtual void announceEnded(quint32 id, ActivityEndReason reason) = 0;
    virtual void announceAction(quint32 id, const QString& action) = 0;
    /// Reports `caller` through callerLeft() once it is gone; a caller
    /// already gone is reported too.
    virtual void watchCaller(const QString& caller) = 0;
    virtual void unwatchCaller(const QString& caller) = 0;

Q_SIGNALS:
    void callerLeft(const QString& caller);

protected:
    Handler* handler() const { return m_handler; }

private:
    Handler* m_handler = nullptr;
};
