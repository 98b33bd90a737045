#include "ICalendarFile.h"

#include "PlatformLog.h"

#include <QHash>
#include <QSet>

#include <libical/ical.h>

namespace {

// Occurrences of one event kept per fetch; a rule that repeats every minute
// would otherwise fill a month with 40,000 of them.
constexpr int maxOccurrencesPerEvent = 1000;

icaltimetype utcTime(const QDateTime& t)
{
    return icaltime_from_timet_with_zone(time_t(t.toSecsSinceEpoch()), 0, icaltimezone_get_utc_timezone());
}

// libical's convention for an instant: the time in its own zone, or read as UTC when it has none.
time_t instant(const icaltimetype& t)
{
    return icaltime_as_timet_with_zone(t, t.zone ? t.zone : icaltimezone_get_utc_timezone());
}

// Dates and floating times are the same wall time wherever the user is;
// libical reads them as UTC, so their digits are taken back as local time.
// Every time leaves here in UTC, which the GUI thread compares cheaply.
QDateTime toDateTime(time_t seconds, const icaltimetype& like)
{
    const QDateTime utc = QDateTime::fromSecsSinceEpoch(qint64(seconds), Qt::UTC);
    if (icaltime_is_date(like))
        return utc.date().startOfDay().toUTC();
    if (!like.zone)
        return QDateTime(utc.date(), utc.time(), Qt::LocalTime).toUTC();
    return utc;
}

QString text(const char* s)
{
    return s ? QString::fromUtf8(s) : QString();
}

// libical leaves RECURRENCE-ID without its zone; the start it replaces is
// found the way libical finds DTSTART's.
std::optional<time_t> recurrenceInstant(icalcomponent* event)
{
    icalproperty* property = icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY);
    if (!property)
        return std::nullopt;
    const icaltimetype rid = icalproperty_get_datetime_with_component(property, event);
    if (icaltime_is_null_time(rid))
        return std::nullopt;
    return instant(rid);
}

QString uidOf(icalcomponent* event)
{
    return text(icalcomponent_get_uid(event));
}

template <typename Fn> void forEachEvent(icalcomponent* root, Fn fn)
{
    if (icalcomponent_isa(root) == ICAL_VCALENDAR_COMPONENT) {
        for (icalcomponent* e = icalcomponent_get_first_component(root, ICAL_VEVENT_COMPONENT); e;
             e = icalcomponent_get_next_component(root, ICAL_VEVENT_COMPONENT))
            fn(root, e);
        return;
    }
    for (icalcomponent* cal = icalcomponent_get_first_component(root, ICAL_VCALENDAR_COMPONENT); cal;
         cal = icalcomponent_get_next_component(root, ICAL_VCALENDAR_COMPONENT))
        forEachEvent(cal, fn);
}

// A TZID that libical could not resolve leaves the time without a zone.
std::optional<QString> unknownZone(icalcomponent* event, icalproperty_kind kind)
{
    icalproperty* property = icalcomponent_get_first_property(event, kind);
    if (!property)
        return std::nullopt;
    icalparameter* tzid = icalproperty_get_first_parameter(property, ICAL_TZID_PARAMETER);
    if (!tzid)
        return std::nullopt;
    const icaltimetype t = kind == ICAL_DTSTART_PROPERTY ? icalcomponent_get_dtstart(event) : icalcomponent_get_dtend(event);
    if (t.zone || icaltime_is_date(t))
        return std::nullopt;
    return text(icalparameter_get_tzid(tzid));
}

QColor calendarColor(icalcomponent* root)
{
    icalcomponent* calendar = icalcomponent_isa(root) == ICAL_VCALENDAR_COMPONENT
        ? root
        : icalcomponent_get_first_component(root, ICAL_VCALENDAR_COMPONENT);
    if (!calendar)
        return {};
    QColor color;
    QColor apple;
    for (icalproperty* p = icalcomponent_get_first_property(calendar, ICAL_ANY_PROPERTY); p;
         p = icalcomponent_get_next_property(calendar, ICAL_ANY_PROPERTY)) {
        const QByteArray name = QByteArray(icalproperty_get_property_name(p)).toUpper();
        if (name == "COLOR")
            color = ICalendarFile::parseColor(text(icalproperty_get_value_as_string(p)));
        else if (name == "X-APPLE-CALENDAR-COLOR")
            apple = ICalendarFile::parseColor(text(icalproperty_get_value_as_string(p)));
    }
    return color.isValid() ? color : apple;
}

struct Expansion {
    const QDateTime* start;
    const QDateTime* end;
    const QStringList* ownerEmails;
    const QColor* color;
    const QString* fileName;
    icalcomponent* event;
    icaltimetype dtstart;
    CalendarStoreEvent base;
    // For timed events: end minus start in seconds; absent without DTEND or DURATION.
    std::optional<qint64> duration;
    // For all-day events: days from the first to the day after the last.
    qint64 days = 1;
    const QSet<qint64>* moved = nullptr;
    QList<CalendarStoreEvent>* out;
    int count = 0;
};

void addOccurrence(icalcomponent*, icaltime_span* span, void* data)
{
    auto* x = static_cast<Expansion*>(data);
    if (x->moved && x->moved->contains(qint64(span->start)))
        return; // a RECURRENCE-ID override stands in its place
    CalendarStoreEvent occurrence = x->base;
    const QDateTime start = toDateTime(span->start, x->dtstart);
    occurrence.start = start;
    if (occurrence.isAllDay)
        occurrence.end = start.toLocalTime().date().addDays(x->days).startOfDay().toUTC();
    else if (x->duration)
        occurrence.end = start.addSecs(*x->duration);
    const QDateTime last = std::max(start, occurrence.end.value_or(start));
    const bool overlaps = start < *x->end && (last > *x->start || (last == start && start >= *x->start));
    if (!overlaps)
        return;
    if (++x->count == maxOccurrencesPerEvent + 1) {
        qCWarning(lcPlatformCalendar, "Event %s in %s repeats more than %d times in the range; the rest are left out",
            qUtf8Printable(x->base.identifier), qUtf8Printable(*x->fileName), maxOccurrencesPerEvent);
    }
    if (x->count > maxOccurrencesPerEvent)
        return;
    x->out->append(std::move(occurrence));
}

CalendarStoreEvent describe(icalcomponent* event, const QStringList& ownerEmails, const QColor& color, const QString& fileName)
{
    CalendarStoreEvent e;
    e.identifier = uidOf(event);
    if (e.identifier.isEmpty())
        e.identifier = fileName;
    if (const char* summary = icalcomponent_get_summary(event))
        e.title = QString::fromUtf8(summary);
    e.isAllDay = icaltime_is_date(icalcomponent_get_dtstart(event));
    e.isCancelled = icalcomponent_get_status(event) == ICAL_STATUS_CANCELLED;
    for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_ATTENDEE_PROPERTY); p;
         p = icalcomponent_get_next_property(event, ICAL_ATTENDEE_PROPERTY)) {
        QString address = text(icalproperty_get_attendee(p)).trimmed();
        if (address.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive))
            address = address.mid(7);
        icalparameter* partstat = icalproperty_get_first_parameter(p, ICAL_PARTSTAT_PARAMETER);
        e.attendees.append({ ownerEmails.contains(address, Qt::CaseInsensitive),
            partstat && icalparameter_get_partstat(partstat) == ICAL_PARTSTAT_DECLINED });
    }
    e.color = color;
    return e;
}

} // namespace

void ICalendarFile::Deleter::operator()(icalcomponent_impl* root) const
{
    icalcomponent_free(root);
}

ICalendarFile::ICalendarFile() = default;
ICalendarFile::~ICalendarFile() = default;
ICalendarFile::ICalendarFile(ICalendarFile&&) noexcept = default;
ICalendarFile& ICalendarFile::operator=(ICalendarFile&&) noexcept = default;

QColor ICalendarFile::parseColor(const QString& value)
{
    const QString s = value.trimmed();
    // Calendars put the alpha last (#RRGGBBAA); QColor reads it first.
    if (s.size() == 9 && s.startsWith(QLatin1Char('#'))) {
        QColor color(s.left(7));
        bool ok = false;
        const int alpha = s.mid(7).toInt(&ok, 16);
        if (color.isValid() && ok)
            color.setAlpha(alpha);
        return color.isValid() && ok ? color : QColor();
    }
    return QColor(s);
}

ICalendarFile ICalendarFile::parse(const QByteArray& bytes, const QString& name)
{
    ICalendarFile file;
    file.m_name = name;
    if (!bytes.trimmed().endsWith("END:VCALENDAR")) {
        qCWarning(
            lcPlatformCalendar, "Skipped %s: not a complete iCalendar file (no END:VCALENDAR at its end)", qUtf8Printable(name));
        return file;
    }
    icalcomponent* root = icalparser_parse_string(bytes.constData());
    if (!root) {
        qCWarning(lcPlatformCalendar, "Skipped %s: not an iCalendar file", qUtf8Printable(name));
        return file;
    }
    file.m_root.reset(root);

    // Events that cannot be placed in time are dropped once, here.
    QList<std::pair<icalcomponent*, icalcomponent*>> dropped;
    forEachEvent(root, [&](icalcomponent* parent, icalcomponent* event) {
        const QString uid = uidOf(event);
        if (!icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY)
            || icaltime_is_null_time(icalcomponent_get_dtstart(event))) {
            qCWarning(
                lcPlatformCalendar, "Skipped event %s in %s: it has no valid DTSTART", qUtf8Printable(uid), qUtf8Printable(name));
            dropped.append(std::make_pair(parent, event));
            return;
        }
        for (icalproperty_kind kind : { ICAL_DTSTART_PROPERTY, ICAL_DTEND_PROPERTY }) {
            if (const std::optional<QString> zone = unknownZone(event, kind)) {
                qCWarning(lcPlatformCalendar, "Skipped event %s in %s: unknown time zone \"%s\"", qUtf8Printable(uid),
                    qUtf8Printable(name), qUtf8Printable(*zone));
                dropped.append(std::make_pair(parent, event));
                return;
            }
        }
    });
    for (const auto& [parent, event] : dropped) {
        icalcomponent_remove_component(parent, event);
        icalcomponent_free(event);
    }
    file.m_color = calendarColor(root);
    return file;
}

QList<CalendarStoreEvent> ICalendarFile::occurrences(
    const QDateTime& start, const QDateTime& end, const QStringList& ownerEmails, const QColor& color) const
{
    QList<CalendarStoreEvent> out;
    if (!m_root)
        return out;
    // Moved occurrences, by event and the start they replace.
    QHash<QString, QSet<qint64>> moved;
    forEachEvent(m_root.get(), [&](icalcomponent*, icalcomponent* event) {
        if (const std::optional<time_t> replaced = recurrenceInstant(event))
            moved[uidOf(event)].insert(qint64(*replaced));
    });
    // Dates and floating times are read as UTC by libical: a day either side
    // covers every zone, and the exact range is applied to each occurrence.
    const icaltimetype from = utcTime(start.addDays(-1));
    const icaltimetype to = utcTime(end.addDays(1));
    forEachEvent(m_root.get(), [&](icalcomponent*, icalcomponent* event) {
        Expansion x { &start, &end, &ownerEmails, &color, &m_name, event, icalcomponent_get_dtstart(event),
            describe(event, ownerEmails, color, m_name), std::nullopt, 1, nullptr, &out };
        const bool hasEnd = icalcomponent_get_first_property(event, ICAL_DTEND_PROPERTY)
            || icalcomponent_get_first_property(event, ICAL_DURATION_PROPERTY);
        if (hasEnd) {
            const icaltimetype dtend = icalcomponent_get_dtend(event);
            if (x.base.isAllDay) {
                const QDate first(x.dtstart.year, x.dtstart.month, x.dtstart.day);
                const QDate after(dtend.year, dtend.month, dtend.day);
                x.days = std::max<qint64>(1, first.daysTo(after));
            } else {
                x.duration = qint64(instant(dtend)) - qint64(instant(x.dtstart));
            }
        }
        if (!icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY)) {
            const auto it = moved.constFind(x.base.identifier);
            if (it != moved.constEnd())
                x.moved = &*it;
        }
        icalcomponent_foreach_recurrence(event, from, to, addOccurrence, &x);
    });
    return out;
}
