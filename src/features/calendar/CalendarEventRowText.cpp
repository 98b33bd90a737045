#include "CalendarEventRowText.h"

#include <QRegularExpression>

#include <cmath>

namespace {

// The locale's short time without seconds, which some locales' short form has ("HH:mm:ss").
QString hourAndMinute(const QLocale& locale)
{
    static const QRegularExpression seconds(QStringLiteral("[^Hhmsapt]*s+"));
    return locale.timeFormat(QLocale::ShortFormat).remove(seconds);
}

} // namespace

CalendarEventRowText CalendarEventRowText::make(
    const CalendarEvent& event, const std::optional<QDateTime>& now, bool isNextUpcoming, const QLocale& locale)
{
    CalendarEventRowText text;
    if (event.isAllDay) {
        text.base = QStringLiteral("All day");
    } else {
        const QString format = hourAndMinute(locale);
        const auto time = [&](const QDateTime& t) { return locale.toString(t.toLocalTime().time(), format); };
        text.base = time(event.startDate) + QStringLiteral(" – ") + time(event.endDate);
    }
    if (now && !event.isAllDay && event.startDate <= *now && *now < event.endDate) {
        text.suffix = CalendarEventSuffix::now;
    } else if (now && isNextUpcoming && event.startDate > *now) {
        text.suffix = CalendarEventSuffix::until;
        text.until = timeUntil(*now, event.startDate);
    }
    return text;
}

QString CalendarEventRowText::timeUntil(const QDateTime& now, const QDateTime& start)
{
    const qint64 minutes = std::max<qint64>(1, qint64(std::ceil(double(now.msecsTo(start)) / 60000.0)));
    const qint64 hours = minutes / 60;
    const qint64 rest = minutes % 60;
    QStringList parts;
    if (hours > 0)
        parts << QStringLiteral("%1 hr").arg(hours);
    if (rest > 0)
        parts << QStringLiteral("%1 min").arg(rest);
    return parts.join(QStringLiteral(", "));
}
