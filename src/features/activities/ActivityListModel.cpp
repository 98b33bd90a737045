#include "ActivityListModel.h"

int ActivityListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant ActivityListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const Row& row = m_rows.at(index.row());
    switch (role) {
    case activityIdRole:
        return int(row.id);
    case titleRole:
        return row.title;
    case subtitleRole:
        return row.subtitle;
    case symbolRole:
        return row.symbol;
    case iconSourceRole:
        return row.iconSource;
    case accentRole:
        return row.accent;
    case valueTextRole:
        return row.valueText;
    case hasProgressRole:
        return row.hasProgress;
    case progressRole:
        return row.progress;
    case isDoneRole:
        return row.isDone;
    case actionsRole:
        return row.actions;
    default:
        return {};
    }
}

QHash<int, QByteArray> ActivityListModel::roleNames() const
{
    return {
        { activityIdRole, "activityId" },
        { titleRole, "title" },
        { subtitleRole, "subtitle" },
        { symbolRole, "symbol" },
        { iconSourceRole, "iconSource" },
        { accentRole, "accent" },
        { valueTextRole, "valueText" },
        { hasProgressRole, "hasProgress" },
        { progressRole, "progress" },
        { isDoneRole, "isDone" },
        { actionsRole, "actions" },
    };
}
