#pragma once

#include "CalendarEvent.h"
#include "CalendarEventRowText.h"
#include "KeyedListModel.h"

#include <QColor>
#include <QDateTime>
#include <QLocale>
#include <QtQml/qqmlregistration.h>

#include <optional>

/// The rows of a calendar list, matched by event id from one update to the
/// next: a minute tick reports only the rows whose detail line or dimming
/// moved on.
// Not final: Qt 6.4's QML registration derives from every type it could
// default-construct, uncreatable or not.
class CalendarEventRowModel : public KeyedListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the today and month models")
public:
    enum Role { itemIDRole = Qt::UserRole + 1, titleRole, eventColorRole, baseRole, suffixRole, untilRole, isDimmedRole };

    struct Row {
        QString id;
        QString title;
        QColor color;
        CalendarEventRowText text;
        /// A timed event that has ended by now.
        bool isDimmed = false;

        friend bool operator==(const Row&, const Row&) = default;
    };

    using KeyedListModel::KeyedListModel;
    Q_DISABLE_COPY_MOVE(CalendarEventRowModel)

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    const QList<Row>& rows() const { return m_rows; }
    /// One row per event in its order, relative to `now`; without `now`
    /// (another day than today) each row has its time range alone.
    void update(const QList<CalendarEvent>& events, const std::optional<QDateTime>& now, const QLocale& locale = {});

private:
    QList<Row> m_rows;
};
