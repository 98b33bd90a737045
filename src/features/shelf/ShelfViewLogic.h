#pragma once

#include "ShelfContent.h"
#include "ShelfDeviceModel.h"
#include "ShelfTileModel.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QQuickPaintedItem>
#include <QUuid>
#include <QtQml/qqmlregistration.h>

class QQuickItem;
class ShelfService;

/// What the Shelf tab shows and does: the message or the strip, the header,
/// the tiles and the devices as list models, and each tile's actions. Shown
/// again, it looks for files that were deleted meanwhile.
// Not final: QML derives from the types it creates.
class ShelfViewLogic : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_MOC_INCLUDE("ShelfService.h")
    Q_PROPERTY(ShelfService* service READ service WRITE setService NOTIFY serviceChanged FINAL)
    /// The tab is on screen.
    Q_PROPERTY(bool active READ isActive WRITE setActive NOTIFY activeChanged FINAL)
    /// The message of an empty shelf, or the strip.
    Q_PROPERTY(ShelfContents::ShelfContent content READ content NOTIFY contentChanged FINAL)
    /// "3 items · Drag out to use".
    Q_PROPERTY(QString headerText READ headerText NOTIFY headerTextChanged FINAL)
    /// One row per item, newest first.
    Q_PROPERTY(ShelfTileModel* tiles READ tiles CONSTANT FINAL)
    /// The devices files can be sent to now.
    Q_PROPERTY(ShelfDeviceModel* devices READ devices CONSTANT FINAL)
    /// A device is reachable, so "Send to Device" can do something.
    Q_PROPERTY(bool canSend READ canSend NOTIFY canSendChanged FINAL)
public:
    explicit ShelfViewLogic(QObject* parent = nullptr);

    ShelfService* service() const { return m_service; }
    void setService(ShelfService* service);
    bool isActive() const { return m_active; }
    void setActive(bool active);
    ShelfContent content() const { return m_content; }
    QString headerText() const;
    ShelfTileModel* tiles() { return &m_tiles; }
    ShelfDeviceModel* devices() { return &m_devices; }
    bool canSend() const { return m_devices.rowCount() > 0; }

    static QString headerText(int count);

    Q_INVOKABLE void open(const QUuid& id);
    Q_INVOKABLE void reveal(const QUuid& id);
    Q_INVOKABLE void copy(const QUuid& id);
    /// To `deviceId`, or to the only device when empty.
    Q_INVOKABLE void send(const QUuid& id, const QString& deviceId = {});
    Q_INVOKABLE void sendAll(const QString& deviceId = {});
    Q_INVOKABLE void email(const QUuid& id);
    Q_INVOKABLE void remove(const QUuid& id);
    Q_INVOKABLE void clear();
    /// Drags the item's file out of the island; returns when the drag ends.
    Q_INVOKABLE void startDrag(const QUuid& id, QQuickItem* source);

Q_SIGNALS:
    void serviceChanged();
    void activeChanged();
    void contentChanged();
    void headerTextChanged();
    void canSendChanged();

private:
    template <typename Action> void withItem(const QUuid& id, Action action);
    void updateDevices();

    QPointer<ShelfService> m_service;
    bool m_active = false;
    ShelfContent m_content = ShelfContent::empty;
    ShelfTileModel m_tiles { this };
    ShelfDeviceModel m_devices { this };
};

/// An item's preview, scaled to fit with its aspect kept; `hasImage` is
/// false while there is none.
class ShelfPreview : public QQuickPaintedItem {
    Q_OBJECT
    QML_ELEMENT
    /// A QImage, as the tile model's preview role gives it.
    Q_PROPERTY(QImage image READ image WRITE setImage NOTIFY imageChanged FINAL)
    Q_PROPERTY(bool hasImage READ hasImage NOTIFY imageChanged FINAL)
public:
    explicit ShelfPreview(QQuickItem* parent = nullptr);

    QImage image() const { return m_image; }
    void setImage(const QImage& image);
    bool hasImage() const { return !m_image.isNull(); }
    void paint(QPainter* painter) override;

Q_SIGNALS:
    void imageChanged();

private:
    QImage m_image;
};
