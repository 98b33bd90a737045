#pragma once

#include "IslandLayout.h"
#include "IslandTypes.h"

#include <QObject>
#include <QSizeF>
#include <QStringList>

#include <optional>

/// What the island shows: closed or open, its geometry, the status band's
/// content, the closed island's activity, the tabs and the chosen one, the
/// Calendar tab's look and whether a drag hovers over it. The window
/// controller writes it; the tab bar writes `selectedTab` and the shelf view
/// `isDropTargeted`. Setters notify only on a real change.
class IslandViewModel final : public QObject {
    Q_OBJECT

    /// True when the island is open.
    Q_PROPERTY(bool isExpanded READ isExpanded NOTIFY stateChanged)
    /// False when the last change of state is to be shown at once, without
    /// the open or close spring (placement, an immediate close).
    Q_PROPERTY(bool animatesState READ animatesState NOTIFY animatesStateChanged)
    /// False until the island has been placed on a screen.
    Q_PROPERTY(bool hasLayout READ hasLayout NOTIFY layoutChanged)
    /// "notch" or "pill"; empty without a layout.
    Q_PROPERTY(QString layoutStyle READ layoutStyle NOTIFY layoutChanged)
    /// Gap between the screen's top edge and the island; 0 without a layout.
    Q_PROPERTY(qreal topOffset READ topOffset NOTIFY layoutChanged)
    /// Width of the notch; 0 for a pill or without a layout.
    Q_PROPERTY(qreal notchWidth READ notchWidth NOTIFY layoutChanged)
    /// Height of the status band; 0 without a layout.
    Q_PROPERTY(qreal statusBandHeight READ statusBandHeight NOTIFY layoutChanged)
    /// Height at the top of the open island kept free of content.
    Q_PROPERTY(qreal contentTopInset READ contentTopInset NOTIFY layoutChanged)
    /// The closed island's size; empty without a layout.
    Q_PROPERTY(QSizeF compactSize READ compactSize NOTIFY layoutChanged)
    /// The open island's size, without the panel's margins.
    Q_PROPERTY(QSizeF expandedSize READ expandedSize NOTIFY layoutChanged)
    /// The status band shows the clock.
    Q_PROPERTY(bool showsClock READ showsClock NOTIFY statusContentChanged)
    /// The status band shows the battery (never without a battery).
    Q_PROPERTY(bool showsBattery READ showsBattery NOTIFY statusContentChanged)
    /// The closed island may show the status band.
    Q_PROPERTY(bool showsInCompact READ showsInCompact NOTIFY statusContentChanged)
    /// "none", "status", "media" or "hud".
    Q_PROPERTY(QString compactActivity READ compactActivityText NOTIFY compactActivityChanged)
    /// Raw values of the tabs whose features are on, in tab order.
    Q_PROPERTY(QStringList availableTabs READ availableTabsText NOTIFY availableTabsChanged)
    /// Raw value of the chosen tab; unknown values are ignored.
    Q_PROPERTY(QString selectedTab READ selectedTabText WRITE setSelectedTabText NOTIFY selectedTabChanged)
    /// Raw value of the tab the open island shows; empty when none.
    Q_PROPERTY(QString activeTab READ activeTabText NOTIFY activeTabChanged)
    /// "today" or "month".
    Q_PROPERTY(QString calendarStyle READ calendarStyleText NOTIFY calendarStyleChanged)
    /// A drag hovers over the island.
    Q_PROPERTY(bool isDropTargeted READ isDropTargeted WRITE setDropTargeted NOTIFY isDropTargetedChanged)

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
    QString layoutStyle() const;
    qreal topOffset() const { return m_layout ? m_layout->topOffset : 0; }
    qreal notchWidth() const { return m_layout ? m_layout->notchWidth : 0; }
    qreal statusBandHeight() const { return m_layout ? m_layout->statusBandHeight : 0; }
    qreal contentTopInset() const { return m_layout ? m_layout->contentTopInset : 0; }
    QSizeF compactSize() const { return m_layout ? m_layout->compactSize : QSizeF(0, 0); }
    QSizeF expandedSize() const { return m_layout ? m_layout->expandedSize : QSizeF(0, 0); }
    bool showsClock() const { return m_statusContent.showsClock; }
    bool showsBattery() const { return m_statusContent.showsBattery; }
    bool showsInCompact() const { return m_statusContent.showsInCompact; }
    QString compactActivityText() const { return rawValue(m_compactActivity); }
    QStringList availableTabsText() const;
    QString selectedTabText() const { return IslandTabs::rawValue(m_selectedTab); }
    void setSelectedTabText(const QString& raw);
    QString activeTabText() const;
    QString calendarStyleText() const { return rawValue(m_calendarStyle); }

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
    template <typename Change>
    void changeTabs(Change change);

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
