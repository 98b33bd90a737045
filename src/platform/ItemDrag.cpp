#include "ItemDrag.h"

#include <QDrag>
#include <QImage>
#include <QMimeData>
#include <QPixmap>
#include <QQuickItem>
#include <QQuickWindow>

namespace {

class QtItemDrag final : public ItemDrag {
public:
    void start(QQuickItem* source, QMimeData* data, const QImage& preview) override
    {
        auto* drag = new QDrag(source);
        drag->setMimeData(data);
        if (!preview.isNull()) {
            const qreal scale = source->window() ? source->window()->devicePixelRatio() : 1.0;
            QPixmap pixmap
                = QPixmap::fromImage(preview.scaled(QSize(48, 48) * scale, Qt::KeepAspectRatio, Qt::SmoothTransformation));
            pixmap.setDevicePixelRatio(scale);
            drag->setPixmap(pixmap);
        }
        drag->exec(Qt::CopyAction | Qt::LinkAction, Qt::CopyAction);
    }
};

QtItemDrag qtItemDrag;
ItemDrag* installedItemDrag = &qtItemDrag;

} // namespace

ItemDrag& ItemDrag::current()
{
    return *installedItemDrag;
}

void ItemDrag::install(ItemDrag* drag)
{
    installedItemDrag = drag ? drag : &qtItemDrag;
}
