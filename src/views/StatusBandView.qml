import QtQuick
import Brimwell.Views

// The band along the island's top edge: beside the notch when closed,
// across the top when open. A leading item (HUD icon, artwork or clock)
// and a trailing item (HUD level, audio bars or battery), in white.
Item {
    id: band

    /// "notch" or "pill".
    property string layoutStyle: "notch"
    property bool isExpanded: false
    /// The open/close spring's position, 0…1.
    property real openness: isExpanded ? 1 : 0
    /// "none", "status", "media" or "hud".
    property string compactActivity: "none"
    property bool showsClock: false
    property bool showsBattery: false
    property real notchWidth: 0
    property real expandedWidth: 0
    property real statusBandHeight: 0
    property real waveGlow: 0
    /// The battery service has a status (set once the battery is wired).
    property bool hasBatteryStatus: false
    /// The HUD presenter shows a level (set once the HUD is wired).
    property bool hasHudState: false

    readonly property string leadingItem: logic.leadingItem
    readonly property string trailingItem: logic.trailingItem

    height: statusBandHeight

    StatusBandLogic {
        id: logic
        layoutStyle: band.layoutStyle
        isExpanded: band.isExpanded
        openness: band.openness
        compactActivity: band.compactActivity
        showsClock: band.showsClock
        showsBattery: band.showsBattery
        hasBatteryStatus: band.hasBatteryStatus
        hasHudState: band.hasHudState
        notchWidth: band.notchWidth
        expandedWidth: band.expandedWidth
        statusBandHeight: band.statusBandHeight
    }

    // Leading items.
    BandSlot {
        objectName: "clockSlot"
        anchors.left: parent.left
        anchors.leftMargin: logic.horizontalPadding
        anchors.verticalCenter: parent.verticalCenter
        shown: logic.leadingItem === "clock"
        ClockView {}
    }
    BandSlot {
        // The HUD icon at size 13 goes here.
        objectName: "hudIconSlot"
        anchors.left: parent.left
        anchors.leftMargin: logic.horizontalPadding
        anchors.verticalCenter: parent.verticalCenter
        shown: logic.leadingItem === "hudIcon"
        scales: true
    }
    BandSlot {
        // The Now Playing artwork thumbnail, logic.artworkSize square, goes here.
        objectName: "artworkSlot"
        anchors.left: parent.left
        anchors.leftMargin: logic.horizontalPadding
        anchors.verticalCenter: parent.verticalCenter
        shown: logic.leadingItem === "artwork"
        scales: true
    }

    // Trailing items.
    BandSlot {
        // The HUD level bar, logic.hudBarWidth wide with a
        // logic.hudTrackHeight track, goes here.
        objectName: "hudLevelSlot"
        anchors.right: parent.right
        anchors.rightMargin: logic.horizontalPadding
        anchors.verticalCenter: parent.verticalCenter
        shown: logic.trailingItem === "hudLevel"
        scales: true
    }
    BandSlot {
        // The audio bars (bar width 2, spacing 2, height 14, band.waveGlow),
        // framed 14 × 14, go here.
        objectName: "audioBarsSlot"
        anchors.right: parent.right
        anchors.rightMargin: logic.horizontalPadding
        anchors.verticalCenter: parent.verticalCenter
        shown: logic.trailingItem === "audioBars"
        scales: true
    }
    BandSlot {
        // The battery indicator goes here.
        objectName: "batterySlot"
        anchors.right: parent.right
        anchors.rightMargin: logic.horizontalPadding
        anchors.verticalCenter: parent.verticalCenter
        shown: logic.trailingItem === "battery"
    }
}
