#include "ClipboardViewLogic.h"

#include "ClipboardService.h"
#include "Clock.h"

#include <QLocale>

ClipboardViewLogic::ClipboardViewLogic(QObject* parent)
    : ClipboardViewLogic(Scheduler::system(), parent)
{
}

ClipboardViewLogic::ClipboardViewLogic(Scheduler& scheduler, QObject* parent)
    : QObject(parent)
    , m_scheduler(scheduler)
    , m_now(Clock::system().now())
    , m_feedbackTask(scheduler)
    , m_clearConfirmationTask(scheduler)
    , m_minuteTask(scheduler)
{
}

void ClipboardViewLogic::setService(ClipboardService* service)
{
    if (service == m_service)
        return;
    if (m_service)
        m_service->disconnect(this);
    m_service = service;
    if (m_service) {
        connect(m_service, &ClipboardService::itemsChanged, this, &ClipboardViewLogic::historyChanged);
        connect(m_service, &ClipboardService::isAccessDeniedChanged, this, &ClipboardViewLogic::changed);
        if (m_active)
            m_service->refreshAccess();
    }
    Q_EMIT serviceChanged();
    Q_EMIT changed();
}

void ClipboardViewLogic::setActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    if (active) {
        if (m_service)
            m_service->refreshAccess(); // a changed setting shows as soon as the tab opens
        m_now = Clock::system().now();
        scheduleMinuteTick();
    } else {
        // The tab went away: nothing of its own state outlives it.
        m_minuteTask.cancel();
        m_feedbackTask.cancel();
        m_copiedItemID.reset();
        m_clearConfirmationTask.cancel();
        m_isConfirmingClear = false;
    }
    Q_EMIT activeChanged();
    Q_EMIT changed();
}

void ClipboardViewLogic::scheduleMinuteTick()
{
    // On the minute, while the tab is shown, so the ages move on together.
    const QDateTime now = Clock::system().now();
    const qint64 intoMinute = now.toMSecsSinceEpoch() % 60'000;
    m_minuteTask.start(Scheduler::Duration(60'000 - intoMinute), [this] {
        m_now = Clock::system().now();
        Q_EMIT changed();
        scheduleMinuteTick();
    });
}

void ClipboardViewLogic::historyChanged()
{
    if (m_service && m_service->items().isEmpty()) {
        m_clearConfirmationTask.cancel();
        m_isConfirmingClear = false;
    }
    Q_EMIT changed();
}

QString ClipboardViewLogic::content() const
{
    if (m_service && m_service->isAccessDenied())
        return QStringLiteral("denied");
    if (!m_service || m_service->items().isEmpty())
        return QStringLiteral("empty");
    return QStringLiteral("history");
}

QVariantList ClipboardViewLogic::rows() const
{
    QVariantList rows;
    if (!m_service)
        return rows;
    for (const ClipboardItem& item : m_service->items()) {
        rows.append(QVariantMap {
            { QStringLiteral("id"), item.id.toString(QUuid::WithoutBraces) },
            { QStringLiteral("preview"), item.preview() },
            { QStringLiteral("metadata"), metadata(item.sourceAppName, relativeAge(item.copiedAt, m_now)) },
            { QStringLiteral("tooltip"), tooltip(item.text) },
            { QStringLiteral("isCopied"), m_copiedItemID == item.id },
        });
    }
    return rows;
}

QString ClipboardViewLogic::headerText() const
{
    const int count = m_service ? m_service->count() : 0;
    if (m_isConfirmingClear)
        return QStringLiteral("Clear all %1 items?").arg(count);
    return QStringLiteral("%1 of %2 · Click to copy").arg(count).arg(ClipboardService::historyLimit);
}

void ClipboardViewLogic::copy(const QString& id)
{
    if (!m_service)
        return;
    m_service->copy(id);
    m_copiedItemID = QUuid::fromString(id);
    m_now = Clock::system().now();
    m_feedbackTask.start(copiedFeedback, [this] {
        m_copiedItemID.reset();
        Q_EMIT changed();
    });
    Q_EMIT changed();
}

void ClipboardViewLogic::beginClear()
{
    setConfirming(true);
    m_clearConfirmationTask.start(clearConfirmation, [this] { setConfirming(false); });
}

void ClipboardViewLogic::confirmClear()
{
    m_clearConfirmationTask.cancel();
    setConfirming(false);
    if (m_service)
        m_service->clear();
}

void ClipboardViewLogic::cancelClear()
{
    m_clearConfirmationTask.cancel();
    setConfirming(false);
}

void ClipboardViewLogic::setConfirming(bool confirming)
{
    if (confirming == m_isConfirmingClear)
        return;
    m_isConfirmingClear = confirming;
    Q_EMIT changed();
}

QString ClipboardViewLogic::relativeAge(const QDateTime& copiedAt, const QDateTime& now)
{
    const qint64 seconds = std::max<qint64>(0, copiedAt.secsTo(now));
    const QLocale locale;
    const auto ago
        = [&](qint64 n, const char* unit) { return QStringLiteral("%1 %2 ago").arg(locale.toString(n), QLatin1String(unit)); };
    if (seconds < 60)
        return QStringLiteral("now");
    if (seconds < 3600)
        return ago(seconds / 60, "min.");
    const qint64 days = copiedAt.toLocalTime().date().daysTo(now.toLocalTime().date());
    if (days == 0)
        return ago(seconds / 3600, "hr.");
    if (days == 1)
        return QStringLiteral("yesterday");
    if (days < 7)
        return ago(days, "days");
    if (days < 31)
        return ago(days / 7, "wk.");
    if (days < 365)
        return ago(days / 30, "mo.");
    return ago(days / 365, "yr.");
}

QString ClipboardViewLogic::metadata(const std::optional<QString>& sourceAppName, const QString& age)
{
    return sourceAppName ? *sourceAppName + QStringLiteral(" · ") + age : age;
}

QString ClipboardViewLogic::tooltip(const QString& text)
{
    if (text.size() <= 300)
        return text;
    // Never half of a surrogate pair at the cut.
    const qsizetype cut = text.at(299).isHighSurrogate() ? 299 : 300;
    return text.left(cut) + QStringLiteral("…");
}
