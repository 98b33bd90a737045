#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QString>
#include <QUuid>
#include <QtQml/qqmlregistration.h>

/// One row of the Clipboard tab, as its delegate shows it.
struct ClipboardRow {
    QUuid id;
    QString preview;
    /// "Name · age", or the age alone.
    QString metadata;
    QString tooltip;
    /// Shows "Copied" in place of the metadata.
    bool isCopied = false;

    friend bool operator==(const ClipboardRow&, const ClipboardRow&) = default;
};

/// The Clipboard tab's rows, newest first, matched by id from one update to
/// the next. An update reaches the view as the rows it removes, inserts,
/// moves and changes, never as a reset, so delegates with their hover, their
/// tooltips and the list's scroll position outlive it.
// Not final: Qt 6.4's QML registration derives from every type it could
// default-construct, uncreatable or not.
class ClipboardRowModel : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by ClipboardViewLogic")
public:
    enum Role { itemIDRole = Qt::UserRole + 1, previewRole, metadataRole, tooltipRole, isCopiedRole };

    explicit ClipboardRowModel(QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(ClipboardRowModel)

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    const QList<ClipboardRow>& rows() const { return m_rows; }
    /// Makes the rows `rows`, telling the view each change.
    void update(QList<ClipboardRow> rows);

private:
    QList<ClipboardRow> m_rows;
};
