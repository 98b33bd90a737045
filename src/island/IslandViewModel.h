#pragma once

#include "IslandLayout.h"
#include "IslandTypes.h"

#include <QObject>
#include <QSizeF>
#include <QtQml/qqmlregistration.h>

#include <optional>

/// What the island shows: closed or open, its geometry, the status band's
/// content, the closed island's activity, the tabs and the chosen one, the
/// Calendar tab's look and whether a drag hovers over it. The window
/// controller writes it; the tab bar writes `selectedTab` and the shelf view
/// `isDropTargeted`. Setters notify only on a real change.
// Not final: Qt 6.4's QML registration derives from every type it could
// default-construct, uncreatable or not.
class IslandViewModel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Created by the island's window controller")

    /// Closed or open.
    Q_PROPERTY(IslandStates::IslandState state READ state NOTIFY stateChanged FINAL)
    /// True when the island is open.
    Q_PROPERTY(bool isExpanded READ isExpanded NOTIFY stateChanged FINAL)
    /// False when the last change of state is to be shown at once, without
    /// the open or close spring (placement, an immediate close).
    Q_PROPERTY(bool animatesState READ animatesState NOTIFY animatesStateChanged FINAL)
    /// False until the island has been placed on a screen.
    Q_PROPERTY(bool hasLayout READ hasLayout NOTIFY layoutChanged FINAL)
    /// Notch or pill; a pill without a layout.
    Q_PROPERTY(IslandLayoutStyles::IslandLayoutStyle layoutStyle READ layoutStyle NOTIFY layoutChanged FINAL)
    /// Gap between the screen's top edge and the island; 0 without a layout.
    Q_PROPERTY(qreal topOffset READ topOffset NOTIFY layoutChanged FINAL)
    /// Width of the notch; 0 for a pill or without a layout.
    Q_PROPERTY(qreal notchWidth READ notchWidth NOTIFY layoutChanged FINAL)
    /// Height of the status band; 0 without a layout.
    Q_PROPERTY(qreal statusBandHeight READ statusBandHeight NOTIFY layoutChanged FINAL)
    /// Height at the top of the open island kept free of content.
    Q_PROPERTY(qreal contentTopInset READ contentTopInset NOTIFY layoutChanged FINAL)
    /// The closed island's size; empty without a layout.
    Q_PROPERTY(QSizeF compactSize READ compactSize NOTIFY layoutChanged FINAL)
    /// The open island's size, without the panel's margins.
    Q_PROPERTY(QSizeF expandedSize READ expandedSize NOTIFY layoutChanged FINAL)
    /// The status band shows the clock.
    Q_PROPERTY(bool showsClock READ showsClock NOTIFY statusContentChanged FINAL)
    /// The status band shows the battery (never without a battery).
    Q_PROPERTY(bool showsBattery READ showsBattery NOTIFY statusContentChanged FINAL)
    /// The closed island may show the status band.
    Q_PROPERTY(bool showsInCompact READ showsInCompact NOTIFY statusContentChanged FINAL)
    /// What the closed island shows beside the notch.
    Q_PROPERTY(
        IslandCompactActivities::IslandCompactActivity compactActivity READ compactActivity NOTIFY compactActivityChanged FINAL)
    /// The tabs whose features are on (IslandTab values), in tab order.
    Q_PROPERTY(QList<int> availableTabs READ availableTabValues NOTIFY availableTabsChanged FINAL)
    /// The chosen tab; values that name no tab are ignored.
    Q_PROPERTY(IslandTabs::IslandTab selectedTab READ selectedTab WRITE setSelectedTab NOTIFY selectedTabChanged FINAL)
    /// The open island shows a tab (false when no feature is on).
    Q_PROPERTY(bool hasActiveTab READ hasActiveTab NOTIFY activeTabChanged FINAL)
    /// The tab the open island shows; meaningless without hasActiveTab.
    Q_PROPERTY(IslandTabs::IslandTab activeTab READ activeTabValue NOTIFY activeTabChanged FINAL)
    /// How the Calendar tab looks.
    Q_PROPERTY(CalendarTabStyles::CalendarTabStyle calendarStyle READ calendarStyle NOTIFY calendarStyleChanged FINAL)
    /// A drag hovers over the island.
    Q_PROPERTY(bool isDropTargeted READ isDropTargeted WRITE setDropTargeted NOTIFY isDropTargetedChanged FINAL)

public:
    explicit IslandViewModel(QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(IslandViewModel)

    IslandState state() const { return m_state; }
    /// Changes the state; `animated` false shows the change at once.
    void setState(IslandState state, bool animated = true);
    bool animatesState() const { return m_animatesState; }
    const std::optional<IslandLayout>& layout() const { return m_layout; }
    void setLayout(const std::optional<IslandLayout>& layout);
    const IslandStatusContent& statusContent() const { return m_statusContent; }
    void setStatusContent(const IslandStatusContent& content);
    IslandCompactActivity compactActivity() const { return m_compactActivity; }
    void setCompactActivity(IslandCompactActivity activity);
    const QList<IslandTab>& availableTabs() const { return m_availableTabs; }
    void setAvailableTabs(const QList<IslandTab>& tabs);
    IslandTab selectedTab() const { return m_selectedTab; }
    void setSelectedTab(IslandTab tab);
    CalendarTabStyle calendarStyle() const { return m_calendarStyle; }
    void setCalendarStyle(CalendarTabStyle style);
    bool isDropTargeted() const { return m_isDropTargeted; }
    void setDropTargeted(bool targeted);
    /// The tab the open island shows; none when no tab is available.
    std::optional<IslandTab> activeTab() const;

    /// Tells the controller that a drag out of the island has started.
    Q_INVOKABLE void startExternalDrag();

    bool isExpanded() const { return m_state == IslandState::expanded; }
    bool hasLayout() const { return m_layout.has_value(); }
    IslandLayoutStyle layoutStyle() const;
    qreal topOffset() const { return m_layout ? m_layout->topOffset : 0; }
    qreal notchWidth() const { return m_layout ? m_layout->notchWidth : 0; }
    qreal statusBandHeight() const { return m_layout ? m_layout->statusBandHeight : 0; }
    qreal contentTopInset() const { return m_layout ? m_layout->contentTopInset : 0; }
    QSizeF compactSize() const { return m_layout ? m_layout->compactSize : QSizeF(0, 0); }
    QSizeF expandedSize() const { return m_layout ? m_layout->expandedSize : QSizeF(0, 0); }
    bool showsClock() const { return m_statusContent.showsClock; }
    bool showsBattery() const { return m_statusContent.showsBattery; }
    bool showsInCompact() const { return m_statusContent.showsInCompact; }
    QList<int> availableTabValues() const;
    bool hasActiveTab() const { return activeTab().has_value(); }
    IslandTab activeTabValue() const { return activeTab().value_or(IslandTab::nowPlaying); }

Q_SIGNALS:
    /// The user started dragging an item out of the island.
    void externalDragStarted();
    void stateChanged();
    void animatesStateChanged();
    void layoutChanged();
    void statusContentChanged();
    void compactActivityChanged();
    void availableTabsChanged();
    void selectedTabChanged();
    void activeTabChanged();
    void calendarStyleChanged();
    void isDropTargetedChanged();

private:
    // Runs a change of the tabs and announces the active tab if it moved.
    template <typename Change> void changeTabs(Change change);

    IslandState m_state = IslandState::compact;
    bool m_animatesState = true;
    std::optional<IslandLayout> m_layout;
    IslandStatusContent m_statusContent;
    IslandCompactActivity m_compactActivity = IslandCompactActivity::none;
    QList<IslandTab> m_availableTabs = IslandTabs::allCases();
    IslandTab m_selectedTab = IslandTab::nowPlaying;
    CalendarTabStyle m_calendarStyle = CalendarTabStyle::today;
    bool m_isDropTargeted = false;
};
