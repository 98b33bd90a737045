import QtQuick
import Brimwell.Controls
import Brimwell.Island
import Brimwell.Clock
import Brimwell.NowPlaying
import Brimwell.HUD
import Brimwell.Battery
import Brimwell.Activities

// The band along the island's top edge: beside the notch when closed,
// across the top when open. A leading item (HUD icon, artwork or clock)
// and a trailing item (HUD level, audio bars or battery), in white; a live
// activity's symbol and countdown, counter or percentage in its accent.
Item {
    id: band

    /// The island's state, geometry, status content and closed activity.
    required property IslandViewModel viewModel
    /// The open/close spring's position, 0…1.
    property real openness: viewModel.isExpanded ? 1 : 0
    property real waveGlow: 0
    /// The feature services; null until they are wired.
    property IslandFeaturesObject features: null
    readonly property BatteryService battery: features ? features.battery : null
    /// The battery service has a status to show.
    readonly property bool hasBatteryStatus: battery !== null && battery.hasStatus
    readonly property HUDController hud: features ? features.hud : null
    readonly property HUDPresenter hudPresenter: hud ? hud.presenter : null
    readonly property ActivityService activities: features ? features.activities : null
    readonly property bool hasActivities: activities !== null && activities.hasActivities

    readonly property int leadingItem: logic.leadingItem
    readonly property int trailingItem: logic.trailingItem

    height: viewModel.statusBandHeight

    StatusBandLogic {
        id: logic
        layoutStyle: band.viewModel.layoutStyle
        isExpanded: band.viewModel.isExpanded
        openness: band.openness
        compactActivity: band.viewModel.compactActivity
        showsClock: band.viewModel.showsClock
        showsBattery: band.viewModel.showsBattery
        hasBatteryStatus: band.hasBatteryStatus
        hasHudState: band.hudPresenter !== null && band.hudPresenter.hasState
        notchWidth: band.viewModel.notchWidth
        expandedWidth: band.viewModel.expandedSize.width
        statusBandHeight: band.viewModel.statusBandHeight
    }

    NowPlayingPresentation {
        id: nowPlayingText
        service: band.features ? band.features.nowPlaying : null
    }

    // Leading items.
    BandSlot {
        objectName: "clockSlot"
        anchors.left: parent.left
        anchors.leftMargin: logic.horizontalPadding
        anchors.verticalCenter: parent.verticalCenter
        shown: logic.leadingItem === BandItems.BandItem.clock
        ClockView {}
    }
    BandSlot {
        objectName: "hudIconSlot"
        anchors.left: parent.left
        anchors.leftMargin: logic.horizontalPadding
        anchors.verticalCenter: parent.verticalCenter
        shown: logic.leadingItem === BandItems.BandItem.hudIcon
        scales: true
        HUDIconView {
            kind: band.hudPresenter ? band.hudPresenter.kind : HUDKinds.HUDKind.volume
            level: band.hudPresenter ? band.hudPresenter.level : 0
            isMuted: band.hudPresenter ? band.hudPresenter.isMuted : false
            size: 13
        }
    }
    BandSlot {
        objectName: "artworkSlot"
        anchors.left: parent.left
        anchors.leftMargin: logic.horizontalPadding
        anchors.verticalCenter: parent.verticalCenter
        shown: logic.leadingItem === BandItems.BandItem.artwork
        scales: true
        NowPlayingArtworkThumbnail {
            image: band.features && band.features.nowPlaying ? band.features.nowPlaying.artwork : null
            size: logic.artworkSize
        }
    }

    // Made while an activity runs (and while it fades out), so a program
    // that never sees one never pays for it. Qt 6.4 refuses to load a bound
    // component through a Loader, so these reach `band` by id without the
    // Bound pragma, which qmllint cannot follow: each such line says so.
    BandSlot {
        id: activitySymbolSlot
        objectName: "activitySymbolSlot"
        anchors.left: parent.left
        anchors.leftMargin: logic.horizontalPadding
        anchors.verticalCenter: parent.verticalCenter
        shown: logic.leadingItem === BandItems.BandItem.activitySymbol
        scales: true
        Loader {
            active: band.hasActivities || activitySymbolSlot.visible
            sourceComponent: Component {
                ActivitySymbol {
                    systemImage: band.activities ? band.activities.compactSymbol : "" // qmllint disable unqualified compiler
                    iconSource: band.activities ? band.activities.compactIconSource : "" // qmllint disable unqualified compiler
                    color: band.activities ? band.activities.compactAccent : "white" // qmllint disable unqualified compiler
                    size: 12
                }
            }
        }
    }

    // Trailing items.
    BandSlot {
        objectName: "hudLevelSlot"
        anchors.right: parent.right
        anchors.rightMargin: logic.horizontalPadding
        anchors.verticalCenter: parent.verticalCenter
        shown: logic.trailingItem === BandItems.BandItem.hudLevel
        scales: true
        HUDLevelBar {
            hud: band.hud
            kind: band.hudPresenter ? band.hudPresenter.kind : HUDKinds.HUDKind.volume
            level: band.hudPresenter ? band.hudPresenter.level : 0
            isMuted: band.hudPresenter ? band.hudPresenter.isMuted : false
            width: logic.hudBarWidth
            trackHeight: logic.hudTrackHeight
        }
    }
    BandSlot {
        objectName: "audioBarsSlot"
        anchors.right: parent.right
        anchors.rightMargin: logic.horizontalPadding
        anchors.verticalCenter: parent.verticalCenter
        shown: logic.trailingItem === BandItems.BandItem.audioBars
        scales: true
        AudioWaveView {
            width: 14
            height: 14
            // Still while hidden, so a closed island with another activity costs nothing.
            isAnimating: nowPlayingText.isPlaying && logic.trailingItem === BandItems.BandItem.audioBars
            color: nowPlayingText.waveColor
            style.barWidth: 2
            style.barSpacing: 2
            style.height: 14
            glow: band.waveGlow
        }
    }
    BandSlot {
        id: activityValueSlot
        objectName: "activityValueSlot"
        anchors.right: parent.right
        anchors.rightMargin: logic.horizontalPadding
        anchors.verticalCenter: parent.verticalCenter
        shown: logic.trailingItem === BandItems.BandItem.activityValue
        scales: true
        Loader {
            active: band.hasActivities || activityValueSlot.visible
            sourceComponent: Component {
                TabularText {
                    objectName: "activityValueText"
                    text: band.activities ? band.activities.compactText : "" // qmllint disable unqualified compiler
                    color: band.activities ? band.activities.compactAccent : "white" // qmllint disable unqualified compiler
                    font.pixelSize: 12
                    font.weight: Font.DemiBold
                }
            }
        }
    }
    BandSlot {
        objectName: "batterySlot"
        anchors.right: parent.right
        anchors.rightMargin: logic.horizontalPadding
        anchors.verticalCenter: parent.verticalCenter
        shown: logic.trailingItem === BandItems.BandItem.battery
        // The last status stays while the indicator fades out.
        BatteryView {
            Binding on level {
                when: band.hasBatteryStatus
                value: band.battery ? band.battery.level : 0
                restoreMode: Binding.RestoreNone
            }
            Binding on isCharging {
                when: band.hasBatteryStatus
                value: band.battery ? band.battery.isCharging : false
                restoreMode: Binding.RestoreNone
            }
            Binding on isPluggedIn {
                when: band.hasBatteryStatus
                value: band.battery ? band.battery.isPluggedIn : false
                restoreMode: Binding.RestoreNone
            }
        }
    }
}
