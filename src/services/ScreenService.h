#pragma once

#include "ScreenSource.h"

#include <QList>
#include <QMetaType>
#include <QObject>
#include <QRectF>
#include <QString>

#include <optional>

/// A connected display as the settings window lists it.
struct DisplayInfo {
    Q_GADGET
    Q_PROPERTY(QString id MEMBER id CONSTANT FINAL)
    Q_PROPERTY(QString name MEMBER name CONSTANT FINAL)
    Q_PROPERTY(bool hasNotch MEMBER hasNotch CONSTANT FINAL)
public:
    /// The display's UUID text; what `preferredDisplayID` stores.
    QString id;
    /// The display's human name.
    QString name;
    /// True when the display has a notch.
    bool hasNotch = false;

    friend bool operator==(const DisplayInfo&, const DisplayInfo&) = default;
};

/// Knows the connected displays and announces every change of the screen
/// configuration, including wake from sleep.
class ScreenService final : public QObject {
    Q_OBJECT
    /// Connected displays in the platform's screen order.
    Q_PROPERTY(QList<DisplayInfo> displays READ displays NOTIFY displaysChanged FINAL)

public:
    /// Builds the display list and starts following the source.
    explicit ScreenService(ScreenSource& source, QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(ScreenService)

    const QList<DisplayInfo>& displays() const { return m_displays; }
    /// The connected screens, as the source reports them now.
    QList<PlatformScreen> screens() const { return m_source.screens(); }

    /// The screen for the island: the display with `displayID` when it is
    /// connected, else the first screen with a notch, else the first screen.
    std::optional<PlatformScreen> screen(const std::optional<QString>& displayID) const;
    /// Gives `screen` a notch of `size` centred on its top edge, or none;
    /// kept across launches and announced like any screen change.
    void setNotchSize(const PlatformScreen& screen, const std::optional<QSizeF>& size) { m_source.setNotchSize(screen, size); }

    /// The notch of `screen` in global coordinates; absent without one.
    static std::optional<QRectF> notchFrame(const PlatformScreen& screen);
    /// The displays of `screens`; screens without a UUID are left out.
    static QList<DisplayInfo> displayList(const QList<PlatformScreen>& screens);
    /// The choice of screen() over a given list.
    static std::optional<PlatformScreen> chooseScreen(
        const QList<PlatformScreen>& screens, const std::optional<QString>& displayID);

Q_SIGNALS:
    void displaysChanged();
    /// Fires once after every screen-configuration change or wake.
    void screenParametersDidChange();

private:
    void screensDidChange();

    ScreenSource& m_source;
    QList<DisplayInfo> m_displays;
};
