#include "ClipboardViewLogic.h"

#include "ClipboardService.h"
#include "Clock.h"
#include "WallClockEvents.h"

#include <QLocale>

ClipboardViewLogic::ClipboardViewLogic(QObject* parent)
    : ClipboardViewLogic(Scheduler::system(), WallClockEvents::system(), parent)
{
}

ClipboardViewLogic::ClipboardViewLogic(Scheduler& scheduler, WallClockEvents& events, QObject* parent)
    : QObject(parent)
    , m_now(Clock::system().now())
    , m_feedbackTask(scheduler)
    , m_clearConfirmationTask(scheduler)
    , m_minutes(scheduler, Clock::system(), events)
{
    connect(&m_minutes, &MinuteTicker::ticked, this, [this](const QDateTime& now) {
        m_now = now;
        refresh();
    });
    refresh();
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
        connect(m_service, &ClipboardService::isAccessDeniedChanged, this, &ClipboardViewLogic::refresh);
        if (m_active)
            m_service->refreshAccess();
    }
    Q_EMIT serviceChanged();
    refresh();
}

void ClipboardViewLogic::setActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    if (active) {
        if (m_service)
            m_service->refreshAccess(); // a changed setting shows as soon as the tab opens
        m_minutes.start();
    } else {
        // The tab went away: nothing of its own state outlives it.
        m_minutes.stop();
        m_feedbackTask.cancel();
        m_copiedItemID.reset();
        m_clearConfirmationTask.cancel();
        setConfirming(false);
    }
    Q_EMIT activeChanged();
    refresh();
}

void ClipboardViewLogic::historyChanged()
{
    if (m_service && m_service->items().isEmpty()) {
        m_clearConfirmationTask.cancel();
        setConfirming(false);
    }
    refresh();
}

void ClipboardViewLogic::refresh()
{
    ClipboardContent content = ClipboardContent::history;
    if (m_service && m_service->isAccessDenied())
        content = ClipboardContent::denied;
    else if (!m_service || m_service->items().isEmpty())
        content = ClipboardContent::empty;
    if (content != m_content) {
        m_content = content;
        Q_EMIT contentChanged();
    }

    const int count = m_service ? m_service->count() : 0;
    const QString header = m_isConfirmingClear
        ? QStringLiteral("Clear all %1 items?").arg(count)
        : QStringLiteral("%1 of %2 · Click to copy").arg(count).arg(ClipboardService::historyLimit);
    if (header != m_headerText) {
        m_headerText = header;
        Q_EMIT headerTextChanged();
    }

    QList<ClipboardRow> rows;
    if (m_service) {
        for (const ClipboardItem& item : m_service->items()) {
            rows.append({ item.id, item.preview(), metadata(item.sourceAppName, relativeAge(item.copiedAt, m_now)),
                tooltip(item.text), m_copiedItemID == item.id });
        }
    }
    m_rows.update(std::move(rows));
}

void ClipboardViewLogic::copy(const QUuid& id)
{
    if (!m_service)
        return;
    // Set first, so the row's move to the top and its "Copied" arrive as
    // one update.
    m_copiedItemID = id;
    m_now = Clock::system().now();
    m_feedbackTask.start(copiedFeedback, [this] {
        m_copiedItemID.reset();
        refresh();
    });
    m_service->copy(id);
    refresh();
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
    Q_EMIT isConfirmingClearChanged();
    refresh();
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
