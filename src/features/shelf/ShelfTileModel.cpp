#include "ShelfTileModel.h"

#include "ShelfService.h"

void ShelfTileModel::setService(ShelfService* service)
{
    if (m_service == service)
        return;
    if (m_service)
        disconnect(m_service, nullptr, this, nullptr);
    m_service = service;
    if (m_service) {
        connect(m_service, &ShelfService::itemsChanged, this, &ShelfTileModel::update);
        connect(m_service, &ShelfService::thumbnailChanged, this, &ShelfTileModel::previewChanged);
    }
    update();
}

int ShelfTileModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant ShelfTileModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const ShelfItem& item = m_rows[index.row()];
    switch (role) {
    case ItemIdRole:
        return item.id;
    case Qt::DisplayRole:
    case NameRole:
        return item.url.fileName();
    case PathRole:
        return item.url.toLocalFile();
    case PreviewRole:
        return m_service ? m_service->thumbnails().value(item.id) : QImage();
    default:
        return {};
    }
}

QHash<int, QByteArray> ShelfTileModel::roleNames() const
{
    return { { ItemIdRole, "itemId" }, { NameRole, "name" }, { PathRole, "path" }, { PreviewRole, "preview" } };
}

void ShelfTileModel::update()
{
    sync(m_rows, m_service ? m_service->items() : QList<ShelfItem>(), [](const ShelfItem& item) { return item.id; });
}

void ShelfTileModel::previewChanged(const QUuid& id)
{
    for (qsizetype row = 0; row < m_rows.size(); ++row) {
        if (m_rows[row].id == id) {
            Q_EMIT dataChanged(index(int(row)), index(int(row)), { PreviewRole });
            return;
        }
    }
}
