#pragma once

#include "KeyedListModel.h"

#include <QColor>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

/// The running activities as the open island lists them, newest first.
// Not final: Qt 6.4's QML registration derives from every type it could
// default-construct, uncreatable or not.
class ActivityListModel : public KeyedListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the activity service")
public:
    enum Role {
        activityIdRole = Qt::UserRole + 1,
        titleRole,
        subtitleRole,
        symbolRole,
        iconSourceRole,
        accentRole,
        valueTextRole,
        hasProgressRole,
        progressRole,
        isDoneRole,
        actionsRole,
    };

    struct Row {
        quint32 id = 0;
        QString title;
        QString subtitle;
        /// A symbol of the island's catalog, drawn as such; empty when the
        /// activity has none or names a theme icon.
        QString symbol;
        /// A theme icon's address, for a symbol the catalog lacks.
        QString iconSource;
        /// White without an accent of its own.
        QColor accent;
        QString valueText;
        bool hasProgress = false;
        double progress = 0;
        bool isDone = false;
        QStringList actions;

        friend bool operator==(const Row&, const Row&) = default;
    };

    using KeyedListModel::KeyedListModel;
    Q_DISABLE_COPY_MOVE(ActivityListModel)

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    const QList<Row>& rows() const { return m_rows; }
    void update(const QList<Row>& rows)
    {
        sync(m_rows, rows, [](const Row& row) { return row.id; });
    }

private:
    QList<Row> m_rows;
};
