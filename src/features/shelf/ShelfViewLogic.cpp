#include "ShelfViewLogic.h"

#include "ItemDrag.h"
#include "ShelfService.h"

#include <QMimeData>
#include <QPainter>
#include <QQuickItem>

ShelfViewLogic::ShelfViewLogic(QObject* parent)
    : QObject(parent)
{
    connect(&m_tiles, &KeyedListModel::countChanged, this, [this] {
        Q_EMIT headerTextChanged();
        const ShelfContent content = m_tiles.rowCount() > 0 ? ShelfContent::items : ShelfContent::empty;
        if (content != m_content) {
            m_content = content;
            Q_EMIT contentChanged();
        }
    });
    connect(&m_devices, &KeyedListModel::countChanged, this, [this, couldSend = false]() mutable {
        if (canSend() != couldSend) {
            couldSend = canSend();
            Q_EMIT canSendChanged();
        }
    });
}

void ShelfViewLogic::setService(ShelfService* service)
{
    if (m_service == service)
        return;
    if (m_service)
        disconnect(m_service, nullptr, this, nullptr);
    m_service = service;
    if (m_service)
        connect(m_service, &ShelfService::sharingChanged, this, &ShelfViewLogic::updateDevices);
    m_tiles.setService(m_service);
    updateDevices();
    if (m_service && m_active)
        m_service->removeMissingItems();
    Q_EMIT serviceChanged();
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

QString ShelfViewLogic::headerText(int count)
{
    return QStringLiteral("%1 %2 · Drag out to use")
        .arg(count)
        .arg(count == 1 ? QStringLiteral("item") : QStringLiteral("items"));
}

QString ShelfViewLogic::headerText() const
{
    return headerText(m_tiles.rowCount());
}

void ShelfViewLogic::updateDevices()
{
    m_devices.setDevices(m_service ? m_service->devices() : QList<DeviceSharing::Device>());
}

template <typename Action> void ShelfViewLogic::withItem(const QUuid& id, Action action)
{
    if (!m_service)
        return;
    if (const std::optional<ShelfItem> item = m_service->item(id))
        action(*m_service, *item);
}

void ShelfViewLogic::open(const QUuid& id)
{
    withItem(id, [](ShelfService& service, const ShelfItem& item) { service.open(item); });
}

void ShelfViewLogic::reveal(const QUuid& id)
{
    withItem(id, [](ShelfService& service, const ShelfItem& item) { service.showInFileManager({ item }); });
}

void ShelfViewLogic::copy(const QUuid& id)
{
    withItem(id, [](ShelfService& service, const ShelfItem& item) { service.copy(item); });
}

void ShelfViewLogic::send(const QUuid& id, const QString& deviceId)
{
    withItem(id, [&](ShelfService& service, const ShelfItem& item) { service.sendToDevice({ item }, deviceId); });
}

void ShelfViewLogic::sendAll(const QString& deviceId)
{
    if (m_service)
        m_service->sendToDevice(m_service->items(), deviceId);
}

void ShelfViewLogic::email(const QUuid& id)
{
    withItem(id, [](ShelfService& service, const ShelfItem& item) { service.email({ item }); });
}

void ShelfViewLogic::remove(const QUuid& id)
{
    withItem(id, [](ShelfService& service, const ShelfItem& item) { service.remove(item); });
}

void ShelfViewLogic::clear()
{
    if (m_service)
        m_service->clear();
}

void ShelfViewLogic::startDrag(const QUuid& id, QQuickItem* source)
{
    if (!m_service || !source)
        return;
    const std::optional<ShelfItem> item = m_service->item(id);
    if (!item)
        return;
    // The file itself is offered, not a copy; the item stays on the shelf.
    auto* data = new QMimeData;
    data->setUrls({ item->url });
    data->setData(QStringLiteral("x-special/gnome-copied-files"), "copy\n" + item->url.toEncoded());
    ItemDrag::current().start(source, data, m_service->thumbnails().value(item->id));
}

ShelfPreview::ShelfPreview(QQuickItem* parent)
    : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
}

void ShelfPreview::setImage(const QImage& image)
{
    if (image.cacheKey() == m_image.cacheKey())
        return;
    m_image = image;
    Q_EMIT imageChanged();
    update();
}

void ShelfPreview::paint(QPainter* painter)
{
    if (m_image.isNull())
        return;
    QSizeF size = m_image.size();
    size.scale(boundingRect().size(), Qt::KeepAspectRatio);
    const QRectF target(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->drawImage(target, m_image);
}
