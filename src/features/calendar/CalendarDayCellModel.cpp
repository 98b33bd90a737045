#include "CalendarDayCellModel.h"

int CalendarDayCellModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_cells.size());
}

QVariant CalendarDayCellModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Cell& cell = m_cells.at(index.row());
    switch (role) {
    case dayRole:
        return cell.day;
    case isEmptyRole:
        return cell.day == 0;
    case isTodayRole:
        return cell.isToday;
    case isSelectedRole:
        return cell.isSelected;
    case hasEventsRole:
        return cell.hasEvents;
    default:
        return {};
    }
}

QHash<int, QByteArray> CalendarDayCellModel::roleNames() const
{
    return { { dayRole, "day" }, { isEmptyRole, "isEmpty" }, { isTodayRole, "isToday" }, { isSelectedRole, "isSelected" },
        { hasEventsRole, "hasEvents" } };
}

void CalendarDayCellModel::update(const QList<Cell>& cells)
{
    const qsizetype kept = std::min(m_cells.size(), cells.size());
    for (qsizetype i = 0; i < kept; ++i) {
        if (m_cells.at(i) != cells.at(i)) {
            m_cells[i] = cells.at(i);
            Q_EMIT dataChanged(index(int(i)), index(int(i)));
        }
    }
    if (cells.size() == m_cells.size())
        return;
    if (cells.size() < m_cells.size()) {
        beginRemoveRows({}, int(kept), int(m_cells.size() - 1));
        m_cells.resize(kept);
        endRemoveRows();
    } else {
        beginInsertRows({}, int(kept), int(cells.size() - 1));
        m_cells.append(cells.sliced(kept));
        endInsertRows();
    }
    Q_EMIT countChanged();
}
