#pragma once

#include "KeyedListModel.h"

#include <QtQml/qqmlregistration.h>

/// The month grid's slots, seven a week, matched by position: another month,
/// a new selection or a day that gains events reports only the cells that
/// changed, so the grid keeps its delegates.
// Not final: Qt 6.4's QML registration derives from every type it could
// default-construct, uncreatable or not.
class CalendarDayCellModel : public KeyedListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by CalendarMonthModel")
public:
    enum Role { dayRole = Qt::UserRole + 1, isEmptyRole, isTodayRole, isSelectedRole, hasEventsRole };

    struct Cell {
        /// The day of the month; 0 for an empty slot before the first or after the last day.
        int day = 0;
        bool isToday = false;
        bool isSelected = false;
        bool hasEvents = false;

        friend bool operator==(const Cell&, const Cell&) = default;
    };

    using KeyedListModel::KeyedListModel;
    Q_DISABLE_COPY_MOVE(CalendarDayCellModel)

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    const QList<Cell>& cells() const { return m_cells; }
    /// Makes the cells `cells`: slots that differ are reported changed, and
    /// a month of fewer or more weeks removes or adds rows at the end.
    void update(const QList<Cell>& cells);

private:
    QList<Cell> m_cells;
};
