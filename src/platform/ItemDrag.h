#pragma once

#include <QtGlobal>

class QImage;
class QMimeData;
class QQuickItem;

/// Starts a drag of data out of a Qt Quick item. The default goes through
/// QDrag, which needs the item's window to be one Qt's platform shows; the
/// native Wayland panel, whose scene Qt does not show itself, installs its
/// own for the items of that scene.
class ItemDrag {
public:
    ItemDrag() = default;
    virtual ~ItemDrag() = default;
    Q_DISABLE_COPY_MOVE(ItemDrag)

    /// Drags `data` (taken) out of `source`, copying or linking, with
    /// `preview` under the pointer when it is not null.
    virtual void start(QQuickItem* source, QMimeData* data, const QImage& preview) = 0;

    /// The installed one, or QDrag's.
    static ItemDrag& current();
    /// Makes `drag` current (not owned; it must outlive its use); null
    /// restores QDrag's.
    static void install(ItemDrag* drag);
};
