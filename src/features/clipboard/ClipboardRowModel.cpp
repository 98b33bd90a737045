#include "ClipboardRowModel.h"

#include <QHash>

#include <algorithm>

namespace {

QList<int> changedRoles(const ClipboardRow& before, const ClipboardRow& after)
{
    QList<int> roles;
    if (before.preview != after.preview)
        roles << ClipboardRowModel::previewRole;
    if (before.metadata != after.metadata)
        roles << ClipboardRowModel::metadataRole;
    if (before.tooltip != after.tooltip)
        roles << ClipboardRowModel::tooltipRole;
    if (before.isCopied != after.isCopied)
        roles << ClipboardRowModel::isCopiedRole;
    return roles;
}

} // namespace

ClipboardRowModel::ClipboardRowModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

int ClipboardRowModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant ClipboardRowModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const ClipboardRow& row = m_rows.at(index.row());
    switch (role) {
    case itemIDRole:
        return QVariant::fromValue(row.id);
    case previewRole:
    case Qt::DisplayRole:
        return row.preview;
    case metadataRole:
        return row.metadata;
    case tooltipRole:
    case Qt::ToolTipRole:
        return row.tooltip;
    case isCopiedRole:
        return row.isCopied;
    default:
        return {};
    }
}

QHash<int, QByteArray> ClipboardRowModel::roleNames() const
{
    // "id" is taken in QML, hence itemID.
    return { { itemIDRole, "itemID" }, { previewRole, "preview" }, { metadataRole, "metadata" }, { tooltipRole, "tooltip" },
        { isCopiedRole, "isCopied" } };
}

void ClipboardRowModel::update(QList<ClipboardRow> rows)
{
    // Ids are matched with their count: a history file edited by hand may
    // hold one twice, and each copy stays a row of its own.
    QHash<QUuid, int> wanted;
    for (const ClipboardRow& row : std::as_const(rows))
        ++wanted[row.id];
    QList<bool> keep;
    for (const ClipboardRow& row : std::as_const(m_rows)) {
        int& left = wanted[row.id];
        keep.append(left > 0);
        left -= left > 0;
    }

    // Rows that went, from the end, a run at a time: clearing is one removal.
    for (qsizetype end = m_rows.size(); end > 0;) {
        if (keep.at(end - 1)) {
            --end;
            continue;
        }
        qsizetype first = end - 1;
        while (first > 0 && !keep.at(first - 1))
            --first;
        beginRemoveRows({}, int(first), int(end - 1));
        m_rows.remove(first, end - first);
        endRemoveRows();
        end = first;
    }

    // Then each row in turn: those before `to` match already, so a row still
    // held is found at `to` or below it.
    const auto heldAt = [this](const QUuid& id, qsizetype from) {
        for (qsizetype i = from; i < m_rows.size(); ++i) {
            if (m_rows.at(i).id == id)
                return i;
        }
        return qsizetype(-1);
    };
    for (qsizetype to = 0; to < rows.size(); ++to) {
        const qsizetype from = heldAt(rows.at(to).id, to);
        if (from < 0) {
            qsizetype end = to + 1;
            while (end < rows.size() && heldAt(rows.at(end).id, to) < 0)
                ++end;
            beginInsertRows({}, int(to), int(end - 1));
            m_rows.insert(to, end - to, {});
            std::copy(rows.cbegin() + to, rows.cbegin() + end, m_rows.begin() + to);
            endInsertRows();
            to = end - 1;
            continue;
        }
        if (from != to) {
            beginMoveRows({}, int(from), int(from), {}, int(to));
            m_rows.move(from, to);
            endMoveRows();
        }
        if (const QList<int> roles = changedRoles(m_rows.at(to), rows.at(to)); !roles.isEmpty()) {
            m_rows[to] = rows.at(to);
            Q_EMIT dataChanged(index(int(to)), index(int(to)), roles);
        }
    }
}
