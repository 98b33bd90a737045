#include "CalendarEventRowModel.h"

int CalendarEventRowModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant CalendarEventRowModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row& row = m_rows.at(index.row());
    switch (role) {
    case itemIDRole:
        return row.id;
    case titleRole:
    case Qt::DisplayRole:
        return row.title;
    case eventColorRole:
        return row.color;
    case baseRole:
        return row.text.base;
    case suffixRole:
        // QML compares it with the enumeration's values, which it holds as numbers.
        return int(row.text.suffix);
    case untilRole:
        return row.text.until;
    case isDimmedRole:
        return row.isDimmed;
    default:
        return {};
    }
}

QHash<int, QByteArray> CalendarEventRowModel::roleNames() const
{
    // "id" and "color" are taken in QML.
    return { { itemIDRole, "itemID" }, { titleRole, "title" }, { eventColorRole, "eventColor" }, { baseRole, "base" },
        { suffixRole, "suffix" }, { untilRole, "until" }, { isDimmedRole, "isDimmed" } };
}

void CalendarEventRowModel::update(const QList<CalendarEvent>& events, const std::optional<QDateTime>& now, const QLocale& locale)
{
    const QString next = now ? CalendarEvent::nextUpcomingID(events, *now) : QString();
    QList<Row> rows;
    rows.reserve(events.size());
    for (const CalendarEvent& e : events) {
        rows.append({ e.id, e.title, e.color, CalendarEventRowText::make(e, now, !next.isEmpty() && e.id == next, locale),
            now && !e.isAllDay && e.endDate <= *now });
    }
    sync(m_rows, rows, [](const Row& row) { return row.id; });
}
