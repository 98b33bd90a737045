import QtQuick
import Brimwell.Controls
import Brimwell.Island
import Brimwell.Services

// The island in its panel: its shape at the current layout's geometry,
// closed or open, with background, status band, open content, shadows and
// the open/close springs. The panel is resized by its controller only.
Item {
    id: root

    /// The island's state and geometry.
    required property IslandViewModel viewModel
    /// The preferences.
    required property SettingsStore settings
    /// Opening the settings and quitting.
    required property IslandActionsObject actions
    /// The feature services; null until they are wired, and their slots
    /// stay empty.
    property IslandFeaturesObject features: null

    /// 0 closed, 1 open: the position of the open or close spring. Every
    /// size, radius, shadow and the content's transition follow it.
    property real openness: viewModel.isExpanded ? 1 : 0
    Behavior on openness {
        id: opennessSpring
        // Placement and an immediate close show the closed island at once.
        enabled: root.viewModel.animatesState
        SpringNumberAnimation {
            // Opening overshoots a little; closing settles without overshoot.
            response: opennessSpring.targetValue > 0.5 ? 0.42 : 0.32
            dampingFraction: opennessSpring.targetValue > 0.5 ? 0.72 : 1.0
        }
    }

    /// The closed width as drawn; springs when the closed activity changes.
    property real shownCompactWidth: logic.compactWidth
    Behavior on shownCompactWidth {
        enabled: logic.compactResizeAnimated
        SpringNumberAnimation { response: 0.4; dampingFraction: 0.8 }
    }

    /// Where the island is drawn now, in the panel (it moves with the springs).
    readonly property rect islandRect: Qt.rect(island.x, island.y, island.width, island.height)
    /// The island's outline; with islandRect it gives the drawn shape.
    readonly property IslandShape islandShape: islandShape
    /// The drawn outline, for the panel's shape (see IslandViews::outline).
    IslandOutlineReporter {
        item: root
        shape: islandShape
        rect: root.islandRect
        active: root.viewModel.hasLayout
    }

    /// No animation is running.
    readonly property bool isSettled: openness === (viewModel.isExpanded ? 1 : 0)
        && shownCompactWidth === logic.compactWidth

    IslandRootLogic {
        id: logic
        layoutStyle: root.viewModel.layoutStyle
        isExpanded: root.viewModel.isExpanded
        openness: root.openness
        compactSize: root.viewModel.compactSize
        expandedSize: root.viewModel.expandedSize
        shownCompactWidth: root.shownCompactWidth
        backgroundStyle: root.settings.expandedBackgroundStyle
        glassGlow: root.settings.glassGlow
    }

    IslandShape {
        id: islandShape
        kind: root.viewModel.layoutStyle === IslandLayoutStyles.IslandLayoutStyle.notch ? IslandShape.Kind.notch : IslandShape.Kind.roundedRectangle
        topCornerRadius: logic.topCornerRadius
        bottomCornerRadius: logic.bottomCornerRadius
        cornerRadius: logic.cornerRadius
    }

    Item {
        id: stage
        anchors.fill: parent
        // Before the first placement there is nothing to show.
        visible: root.viewModel.hasLayout

        ShapeShadow {
            objectName: "dropShadow"
            anchors.fill: parent
            visible: strength > 0
            shape: islandShape
            shapeRect: Qt.rect(island.x, island.y, island.width, island.height)
            color: "black"
            radius: 8
            offset: Qt.point(0, 6)
            strength: logic.dropShadowOpacity
        }

        ShapeShadow {
            objectName: "outerGlow"
            anchors.fill: parent
            visible: strength > 0
            shape: islandShape
            shapeRect: Qt.rect(island.x, island.y, island.width, island.height)
            color: "white"
            radius: 10
            offset: Qt.point(0, 4)
            strength: logic.outerGlowOpacity
        }

        BlurBehindArea {
            x: island.x
            y: island.y
            width: island.width
            height: island.height
            shape: islandShape
            active: root.settings.expandedBackgroundStyle === IslandBackgroundStyles.IslandBackgroundStyle.glass && logic.expansion > 0
        }

        Item {
            id: island
            objectName: "island"
            // Centred; in the open panel that leaves 24 on each side.
            x: Math.round((root.width - width) / 2)
            y: root.viewModel.topOffset
            width: logic.islandWidth
            height: logic.islandHeight
            // Clipped to the shape's bounds; the content keeps clear of the
            // rounded corners by its padding.
            clip: true

            IslandBackgroundView {
                anchors.fill: parent
                shape: islandShape
                style: root.settings.expandedBackgroundStyle
                glow: root.settings.glassGlow
                isExpanded: root.viewModel.isExpanded
                expansion: logic.expansion
            }

            StatusBandView {
                id: band
                objectName: "statusBand"
                anchors.top: parent.top
                anchors.left: parent.left
                anchors.right: parent.right
                viewModel: root.viewModel
                openness: logic.expansion
                waveGlow: logic.waveGlow
                features: root.features
            }

            // The open content, framed to the open size and aligned to the
            // top; it scales from 0.92 around the top centre as it fades in.
            Item {
                id: expandedFrame
                x: Math.round((island.width - width) / 2)
                width: root.viewModel.expandedSize.width
                height: root.viewModel.expandedSize.height
                transformOrigin: Item.Top
                scale: logic.contentScale
                opacity: logic.contentOpacity
                visible: opacity > 0

                // Built the first time the island opens, from its file, so
                // that an island that stays closed loads neither the tabs
                // nor the controls module they use.
                Loader {
                    id: expandedLoader
                    anchors.fill: parent
                    anchors.topMargin: root.viewModel.contentTopInset
                    anchors.leftMargin: logic.contentHorizontalPadding
                    anchors.rightMargin: logic.contentHorizontalPadding
                    anchors.bottomMargin: 14

                    property bool wanted
                    Binding on wanted {
                        when: expandedFrame.visible
                        value: true
                        restoreMode: Binding.RestoreNone
                    }
                    onWantedChanged: setSource(Qt.resolvedUrl("ExpandedIslandView.qml"), {
                        objectName: "expandedView",
                        viewModel: root.viewModel,
                        actions: root.actions,
                        features: Qt.binding(() => root.features),
                        waveGlow: Qt.binding(() => logic.waveGlow)
                    })
                }
            }
        }
    }
}
