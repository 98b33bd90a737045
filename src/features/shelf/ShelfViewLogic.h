#pragma once

#include <QObject>
#include <QPointer>
#include <QQuickPaintedItem>
#include <QUuid>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

class QQuickItem;
class ShelfService;

/// What the Shelf tab shows and does: the message or the strip, the header,
/// one tile per item, and each tile's actions. Shown again, it looks for
/// files that were deleted meanwhile.
// Not final: QML derives from the types it creates.
class ShelfViewLogic : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_MOC_INCLUDE("ShelfService.h")
    Q_PROPERTY(ShelfService* service READ service WRITE setService NOTIFY serviceChanged)
    /// The tab is on screen.
    Q_PROPERTY(bool active READ isActive WRITE setActive NOTIFY activeChanged)
    /// "empty" or "items".
    Q_PROPERTY(QString content READ content NOTIFY changed)
    /// "3 items · Drag out to use".
    Q_PROPERTY(QString headerText READ headerText NOTIFY changed)
    /// Maps with id, name and path, newest first.
    Q_PROPERTY(QVariantList tiles READ tiles NOTIFY changed)
    /// A device is reachable, so "Send to Device" can do something.
    Q_PROPERTY(bool canSend READ canSend NOTIFY changed)
public:
    using QObject::QObject;

    ShelfService* service() const { return m_service; }
    void setService(ShelfService* service);
    bool isActive() const { return m_active; }
    void setActive(bool active);
    QString content() const;
    QString headerText() const;
    QVariantList tiles() const;
    bool canSend() const;

    static QString headerText(int count);

    Q_INVOKABLE void open(const QString& id);
    Q_INVOKABLE void reveal(const QString& id);
    Q_INVOKABLE void copy(const QString& id);
    /// To `deviceId`, or to the only device when empty.
    Q_INVOKABLE void send(const QString& id, const QString& deviceId = {});
    Q_INVOKABLE void sendAll(const QString& deviceId = {});
    Q_INVOKABLE void email(const QString& id);
    Q_INVOKABLE void remove(const QString& id);
    Q_INVOKABLE void clear();
    /// Drags the item's file out of the island; returns when the drag ends.
    Q_INVOKABLE void startDrag(const QString& id, QQuickItem* source);

Q_SIGNALS:
    void serviceChanged();
    void activeChanged();
    void changed();

private:
    template <typename Action> void withItem(const QString& id, Action action);

    QPointer<ShelfService> m_service;
    bool m_active = false;
};

/// An item's preview, scaled to fit with its aspect kept; `hasImage` is
/// false until the shelf has one.
class ShelfPreview : public QQuickPaintedItem {
    Q_OBJECT
    QML_ELEMENT
    Q_MOC_INCLUDE("ShelfService.h")
    Q_PROPERTY(ShelfService* service READ service WRITE setService NOTIFY serviceChanged)
    Q_PROPERTY(QString itemId READ itemId WRITE setItemId NOTIFY itemIdChanged)
    Q_PROPERTY(bool hasImage READ hasImage NOTIFY hasImageChanged)
public:
    explicit ShelfPreview(QQuickItem* parent = nullptr);

    ShelfService* service() const { return m_service; }
    void setService(ShelfService* service);
    QString itemId() const { return m_itemId.toString(QUuid::WithoutBraces); }
    void setItemId(const QString& id);
    bool hasImage() const { return m_hasImage; }
    void paint(QPainter* painter) override;

Q_SIGNALS:
    void serviceChanged();
    void itemIdChanged();
    void hasImageChanged();

private:
    void refresh();

    QPointer<ShelfService> m_service;
    QUuid m_itemId;
    bool m_hasImage = false;
};
