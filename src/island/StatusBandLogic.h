#pragma once

#include "IslandTypes.h"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

/// What the status band shows and where: its paddings, which item leads
/// and which trails, and the HUD level bar's size.
class StatusBandLogic : public QObject {
    Q_OBJECT
    QML_ELEMENT

    Q_PROPERTY(IslandLayoutStyles::IslandLayoutStyle layoutStyle MEMBER m_layoutStyle NOTIFY inputsChanged FINAL)
    /// The island is open.
    Q_PROPERTY(bool isExpanded MEMBER m_isExpanded NOTIFY inputsChanged FINAL)
    /// Position of the open/close spring, 0…1 (paddings follow it).
    Q_PROPERTY(qreal openness MEMBER m_openness NOTIFY inputsChanged FINAL)
    /// What the closed island shows.
    Q_PROPERTY(IslandCompactActivities::IslandCompactActivity compactActivity MEMBER m_activity NOTIFY inputsChanged FINAL)
    /// The status content includes the clock.
    Q_PROPERTY(bool showsClock MEMBER m_showsClock NOTIFY inputsChanged FINAL)
    /// The status content includes the battery.
    Q_PROPERTY(bool showsBattery MEMBER m_showsBattery NOTIFY inputsChanged FINAL)
    /// The battery service has a status to show.
    Q_PROPERTY(bool hasBatteryStatus MEMBER m_hasBatteryStatus NOTIFY inputsChanged FINAL)
    /// The HUD presenter has a level to show.
    Q_PROPERTY(bool hasHudState MEMBER m_hasHudState NOTIFY inputsChanged FINAL)
    /// Width of the notch; 0 for a pill.
    Q_PROPERTY(qreal notchWidth MEMBER m_notchWidth NOTIFY inputsChanged FINAL)
    /// Width of the open island.
    Q_PROPERTY(qreal expandedWidth MEMBER m_expandedWidth NOTIFY inputsChanged FINAL)
    /// Height of the band.
    Q_PROPERTY(qreal statusBandHeight MEMBER m_statusBandHeight NOTIFY inputsChanged FINAL)

    /// Space at each end of the band; follows the spring between its closed and open values.
    Q_PROPERTY(qreal horizontalPadding READ horizontalPadding NOTIFY outputsChanged FINAL)
    /// Smallest gap between the leading and trailing items (the notch).
    Q_PROPERTY(qreal spacerMinimumWidth READ spacerMinimumWidth NOTIFY outputsChanged FINAL)
    /// The HUD level replaces the band's other items.
    Q_PROPERTY(bool isHudShown READ isHudShown NOTIFY outputsChanged FINAL)
    /// The HUD's icon, the artwork, an activity's symbol, the clock or none.
    Q_PROPERTY(BandItems::BandItem leadingItem READ leadingItem NOTIFY outputsChanged FINAL)
    /// The HUD's level, the audio bars, an activity's value, the battery or none.
    Q_PROPERTY(BandItems::BandItem trailingItem READ trailingItem NOTIFY outputsChanged FINAL)
    /// Width of the HUD level bar.
    Q_PROPERTY(qreal hudBarWidth READ hudBarWidth NOTIFY outputsChanged FINAL)
    /// Track height of the HUD level bar: 4 closed, 5 open.
    Q_PROPERTY(qreal hudTrackHeight READ hudTrackHeight NOTIFY outputsChanged FINAL)
    /// Side of the Now Playing artwork thumbnail.
    Q_PROPERTY(qreal artworkSize READ artworkSize NOTIFY outputsChanged FINAL)

public:
    explicit StatusBandLogic(QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(StatusBandLogic)

    /// Closed 18 (notch) or 10 (pill); open 32 (notch) or 18 (pill).
    static qreal horizontalPadding(bool expanded, IslandLayoutStyle layoutStyle);
    /// A HUD state counts when the island is open or its activity is the HUD.
    static bool isHudShown(bool hasHudState, bool expanded, IslandCompactActivity activity);
    static BandItem leadingItem(bool expanded, IslandCompactActivity activity, bool hudShown, bool showsClock);
    static BandItem trailingItem(
        bool expanded, IslandCompactActivity activity, bool hudShown, bool showsBattery, bool hasBatteryStatus);
    /// Closed 80 (pill) or 58 (notch); open 96 (pill) or what fits beside
    /// the notch, at most 96.
    static qreal hudBarWidth(bool expanded, IslandLayoutStyle layoutStyle, qreal expandedWidth, qreal notchWidth);

    qreal horizontalPadding() const { return m_out.horizontalPadding; }
    qreal spacerMinimumWidth() const { return m_out.spacerMinimumWidth; }
    bool isHudShown() const { return m_out.isHudShown; }
    BandItem leadingItem() const { return m_out.leadingItem; }
    BandItem trailingItem() const { return m_out.trailingItem; }
    qreal hudBarWidth() const { return m_out.hudBarWidth; }
    qreal hudTrackHeight() const { return m_out.hudTrackHeight; }
    qreal artworkSize() const { return m_out.artworkSize; }

Q_SIGNALS:
    void inputsChanged();
    void outputsChanged();

private:
    struct Outputs {
        qreal horizontalPadding = 0;
        qreal spacerMinimumWidth = 0;
        bool isHudShown = false;
        BandItem leadingItem = BandItem::none;
        BandItem trailingItem = BandItem::none;
        qreal hudBarWidth = 0;
        qreal hudTrackHeight = 0;
        qreal artworkSize = 0;
        bool operator==(const Outputs&) const = default;
    };

    void update();

    IslandLayoutStyle m_layoutStyle = IslandLayoutStyle::notch;
    bool m_isExpanded = false;
    qreal m_openness = 0;
    IslandCompactActivity m_activity = IslandCompactActivity::none;
    bool m_showsClock = false;
    bool m_showsBattery = false;
    bool m_hasBatteryStatus = false;
    bool m_hasHudState = false;
    qreal m_notchWidth = 0;
    qreal m_expandedWidth = 0;
    qreal m_statusBandHeight = 0;
    Outputs m_out;
};
