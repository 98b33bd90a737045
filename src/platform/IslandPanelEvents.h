#pragma once

#include <QObject>

class QMimeData;

/// What an IslandPanel reports. The panel owns it; receivers connect with
/// themselves as context, so a receiver that is gone is never called.
class IslandPanelEvents final : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

Q_SIGNALS:
    /// Pointer entered (true) or left (false).
    void hoverChanged(bool inside);
    /// The pointer moved over the panel for the first time since it entered.
    void pointerMoved();
    /// A drag entered (true) or left without dropping (false).
    void dropTargetChanged(bool targeted);
    /// A drop was performed; a receiver that takes it sets `*accepted`.
    void dropped(const QMimeData& data, bool* accepted);
    /// isVisibleOnScreen() may have changed.
    void occlusionChanged();
};
