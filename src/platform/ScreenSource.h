#pragma once

#include <QList>
#include <QObject>
#include <QRect>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <optional>

/// One screen as the platform describes it. Geometry is in Qt's global,
/// y-down coordinates: a screen's top edge is frame.top().
struct PlatformScreen {
    /// The output's name, e.g. "eDP-1".
    QString outputName;
    /// The display's human name, e.g. "DELL U2720Q" or "Built-in Display".
    QString localizedName;
    /// Stable display UUID text; absent when the platform cannot make one.
    std::optional<QString> displayUUID;
    QRect frame;
    /// The frame without the areas the desktop reserves (panels, docks).
    QRect visibleFrame;
    /// Height of the area at the top that content must avoid (the notch).
    qreal topInset = 0;
    /// The screen areas left and right of the notch, when there is one.
    std::optional<QRectF> auxiliaryTopLeftArea;
    std::optional<QRectF> auxiliaryTopRightArea;
    /// The desktop's status bar height, used where this screen reserves none.
    qreal statusBarThickness = 24;
    /// How far below the top edge the panels that reserve the top of this
    /// screen reach; 0 without such a panel.
    qreal topPanelHeight = 0;

    friend bool operator==(const PlatformScreen&, const PlatformScreen&) = default;
};

/// The connected screens and the events after which they must be read again.
class ScreenSource : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    /// Connected screens in the platform's order, the primary screen first.
    virtual QList<PlatformScreen> screens() const = 0;
    /// Gives `screen` a notch of `size` centred on its top edge, or none;
    /// kept across launches. Announced as a configuration change.
    virtual void setNotchSize(const PlatformScreen& screen, const std::optional<QSizeF>& size) = 0;

Q_SIGNALS:
    /// A screen was added or removed, or its geometry, its notch or its top
    /// panel changed.
    void screensChanged();
    /// The machine woke from sleep; screens may have changed meanwhile.
    void screensDidWake();
};
