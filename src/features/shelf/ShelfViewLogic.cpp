#include "ShelfViewLogic.h"

#include "ShelfService.h"

#include <QDrag>
#include <QMimeData>
#include <QPainter>
#include <QQuickItem>
#include <QQuickWindow>

void ShelfViewLogic::setService(ShelfService* service)
{
    if (m_service == service)
        return;
    if (m_service)
        disconnect(m_service, nullptr, this, nullptr);
    m_service = service;
    if (m_service) {
        connect(m_service, &ShelfService::itemsChanged, this, &ShelfViewLogic::changed);
        connect(m_service, &ShelfService::sharingChanged, this, &ShelfViewLogic::changed);
    }
    if (m_service && m_active)
        m_service->removeMissingItems();
    Q_EMIT serviceChanged();
    Q_EMIT changed();
}

void ShelfViewLogic::setActive(bool active)
{
    if (m_active == active)
        return;
    m_active = active;
    if (m_active && m_service)
        m_service->removeMissingItems();
    Q_EMIT activeChanged();
}

QString ShelfViewLogic::content() const
{
    return m_service && m_service->count() > 0 ? QStringLiteral("items") : QStringLiteral("empty");
}

QString ShelfViewLogic::headerText(int count)
{
    return QStringLiteral("%1 %2 · Drag out to use")
        .arg(count)
        .arg(count == 1 ? QStringLiteral("item") : QStringLiteral("items"));
}

QString ShelfViewLogic::headerText() const
{
    return headerText(m_service ? m_service->count() : 0);
}

QVariantList ShelfViewLogic::tiles() const
{
    QVariantList tiles;
    if (!m_service)
        return tiles;
    for (const ShelfItem& item : m_service->items()) {
        tiles.append(QVariantMap {
            { QStringLiteral("id"), item.id.toString(QUuid::WithoutBraces) },
            { QStringLiteral("name"), item.url.fileName() },
            { QStringLiteral("path"), item.url.toLocalFile() },
        });
    }
    return tiles;
}

bool ShelfViewLogic::canSend() const
{
    return m_service && !m_service->devices().isEmpty();
}

template <typename Action> void ShelfViewLogic::withItem(const QString& id, Action action)
{
    if (!m_service)
        return;
    if (const std::optional<ShelfItem> item = m_service->item(QUuid::fromString(id)))
        action(*m_service, *item);
}

void ShelfViewLogic::open(const QString& id)
{
    withItem(id, [](ShelfService& service, const ShelfItem& item) { service.open(item); });
}

void ShelfViewLogic::reveal(const QString& id)
{
    withItem(id, [](ShelfService& service, const ShelfItem& item) { service.showInFileManager({ item }); });
}

void ShelfViewLogic::copy(const QString& id)
{
    withItem(id, [](ShelfService& service, const ShelfItem& item) { service.copy(item); });
}

void ShelfViewLogic::send(const QString& id, const QString& deviceId)
{
    withItem(id, [&](ShelfService& service, const ShelfItem& item) { service.sendToDevice({ item }, deviceId); });
}

void ShelfViewLogic::sendAll(const QString& deviceId)
{
    if (m_service)
        m_service->sendToDevice(m_service->items(), deviceId);
}

void ShelfViewLogic::email(const QString& id)
{
    withItem(id, [](ShelfService& service, const ShelfItem& item) { service.email({ item }); });
}

void ShelfViewLogic::remove(const QString& id)
{
    withItem(id, [](ShelfService& service, const ShelfItem& item) { service.remove(item); });
}

void ShelfViewLogic::clear()
{
    if (m_service)
        m_service->clear();
}

void ShelfViewLogic::startDrag(const QString& id, QQuickItem* source)
{
    if (!m_service || !source)
        return;
    const std::optional<ShelfItem> item = m_service->item(QUuid::fromString(id));
    if (!item)
        return;
    // The file itself is offered, not a copy; the item stays on the shelf.
    auto* data = new QMimeData;
    data->setUrls({ item->url });
    data->setData(QStringLiteral("x-special/gnome-copied-files"), "copy\n" + item->url.toEncoded());
    auto* drag = new QDrag(source);
    drag->setMimeData(data);
    const QImage preview = m_service->thumbnails().value(item->id);
    if (!preview.isNull()) {
        const qreal scale = source->window() ? source->window()->devicePixelRatio() : 1.0;
        QPixmap pixmap = QPixmap::fromImage(preview.scaled(QSize(48, 48) * scale, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        pixmap.setDevicePixelRatio(scale);
        drag->setPixmap(pixmap);
    }
    drag->exec(Qt::CopyAction | Qt::LinkAction, Qt::CopyAction);
}

ShelfPreview::ShelfPreview(QQuickItem* parent)
    : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
}

void ShelfPreview::setService(ShelfService* service)
{
    if (m_service == service)
        return;
    if (m_service)
        disconnect(m_service, nullptr, this, nullptr);
    m_service = service;
    if (m_service) {
        connect(m_service, &ShelfService::thumbnailChanged, this, [this](const QUuid& id) {
            if (id == m_itemId)
                refresh();
        });
    }
    Q_EMIT serviceChanged();
    refresh();
}

void ShelfPreview::setItemId(const QString& id)
{
    const QUuid uuid = QUuid::fromString(id);
    if (uuid == m_itemId)
        return;
    m_itemId = uuid;
    Q_EMIT itemIdChanged();
    refresh();
}

void ShelfPreview::refresh()
{
    const bool hasImage = m_service && m_service->thumbnails().contains(m_itemId);
    if (hasImage != m_hasImage) {
        m_hasImage = hasImage;
        Q_EMIT hasImageChanged();
    }
    update();
}

void ShelfPreview::paint(QPainter* painter)
{
    if (!m_service)
        return;
    const QImage image = m_service->thumbnails().value(m_itemId);
    if (image.isNull())
        return;
    QSizeF size = image.size();
    size.scale(boundingRect().size(), Qt::KeepAspectRatio);
    const QRectF target(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->drawImage(target, image);
}
