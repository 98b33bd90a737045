#pragma once

#include "IslandPanel.h"

#include <QMimeData>

#include <vector>

/// Records what the controller does to its panel; the test plays the
/// window system's part (pointer, drags, exposure).
class FakeIslandPanel final : public IslandPanel {
public:
    QVariantMap rootProperties;
    QRect currentFrame;
    std::vector<QRect> frames;
    QRegion shape;
    bool shown = false;
    bool visibleOnScreen = true;
    bool accepting = false;
    int acceptChanges = 0;
    bool finalLeaves = false;
    /// Called on every setFrame, before it returns.
    std::function<void(const QRect&)> onSetFrame;

    void loadRoot(const QUrl&, const QVariantMap& properties) override { rootProperties = properties; }
    QQuickItem* rootItem() const override { return nullptr; }
    QRect frame() const override { return currentFrame; }
    void setFrame(const QRect& frame) override
    {
        currentFrame = frame;
        frames.push_back(frame);
        if (onSetFrame)
            onSetFrame(frame);
    }
    void orderFrontRegardless() override { shown = true; }
    void orderOut() override { shown = false; }
    bool isVisibleOnScreen() const override { return shown && visibleOnScreen; }
    void setIslandShape(const QRegion& region) override { shape = region; }
    void setAcceptsDrops(bool accepts) override
    {
        if (accepts != accepting)
            ++acceptChanges;
        accepting = accepts;
    }
    bool acceptsDrops() const override { return accepting; }
    bool leaveIsFinal() const override { return finalLeaves; }

    void hover(bool inside) { Q_EMIT events().hoverChanged(inside); }
    void move() { Q_EMIT events().pointerMoved(); }
    /// A drag reaches the panel only while it accepts drops.
    void dragOver(bool inside)
    {
        if (accepting)
            Q_EMIT events().dropTargetChanged(inside);
    }
    bool drop(const QMimeData& data)
    {
        bool accepted = false;
        if (accepting)
            Q_EMIT events().dropped(data, &accepted);
        return accepted;
    }
    void setExposed(bool exposed)
    {
        visibleOnScreen = exposed;
        Q_EMIT events().occlusionChanged();
    }
};
