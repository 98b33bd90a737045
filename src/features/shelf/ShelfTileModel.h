#pragma once

#include "KeyedListModel.h"
#include "ShelfItem.h"

#include <QPointer>

class ShelfService;

/// One row per shelf item, newest first, keyed by the item's id. A preview
/// that arrives changes its own row only.
// Not final: Qt 6.4's QML registration derives from every type it could
// default-construct, uncreatable or not.
class ShelfTileModel : public KeyedListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by ShelfViewLogic")
public:
    enum Role {
        /// QUuid.
        ItemIdRole = Qt::UserRole + 1,
        /// The file name.
        NameRole,
        /// The full local path.
        PathRole,
        /// QImage, null until the shelf has one.
        PreviewRole,
    };

    using KeyedListModel::KeyedListModel;

    void setService(ShelfService* service);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    void update();
    void previewChanged(const QUuid& id);

    QPointer<ShelfService> m_service;
    QList<ShelfItem> m_rows;
};
