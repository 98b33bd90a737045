#include "IslandViewModel.h"

#include "IslandLog.h"
#include "IslandRules.h"

BRIMWELL_LOGGING_CATEGORY(lcIsland, "brimwell.island", "Island")

IslandViewModel::IslandViewModel(QObject* parent)
    : QObject(parent)
{
}

void IslandViewModel::setState(IslandState state, bool animated)
{
    if (m_state == state)
        return;
    // Announced first, so the views know how to show the change they get next.
    if (m_animatesState != animated) {
        m_animatesState = animated;
        Q_EMIT animatesStateChanged();
    }
    m_state = state;
    Q_EMIT stateChanged();
}

void IslandViewModel::setLayout(const std::optional<IslandLayout>& layout)
{
    if (m_layout == layout)
        return;
    m_layout = layout;
    Q_EMIT layoutChanged();
}

void IslandViewModel::setStatusContent(const IslandStatusContent& content)
{
    if (m_statusContent == content)
        return;
    m_statusContent = content;
    Q_EMIT statusContentChanged();
}

void IslandViewModel::setCompactActivity(IslandCompactActivity activity)
{
    if (m_compactActivity == activity)
        return;
    m_compactActivity = activity;
    Q_EMIT compactActivityChanged();
}

template <typename Change> void IslandViewModel::changeTabs(Change change)
{
    const std::optional<IslandTab> before = activeTab();
    change();
    if (activeTab() != before)
        Q_EMIT activeTabChanged();
}

void IslandViewModel::setAvailableTabs(const QList<IslandTab>& tabs)
{
    if (m_availableTabs == tabs)
        return;
    changeTabs([&] {
        m_availableTabs = tabs;
        Q_EMIT availableTabsChanged();
    });
}

void IslandViewModel::setSelectedTab(IslandTab tab)
{
    // QML may write any number.
    if (!IslandTabs::allCases().contains(tab)) {
        qCCritical(lcIsland, "Ignoring unknown tab %d", int(tab));
        return;
    }
    if (m_selectedTab == tab)
        return;
    changeTabs([&] {
        m_selectedTab = tab;
        Q_EMIT selectedTabChanged();
    });
}

void IslandViewModel::setCalendarStyle(CalendarTabStyle style)
{
    if (m_calendarStyle == style)
        return;
    m_calendarStyle = style;
    Q_EMIT calendarStyleChanged();
}

void IslandViewModel::setDropTargeted(bool targeted)
{
    if (m_isDropTargeted == targeted)
        return;
    m_isDropTargeted = targeted;
    Q_EMIT isDropTargetedChanged();
}

std::optional<IslandTab> IslandViewModel::activeTab() const
{
    return IslandRules::activeTab(m_availableTabs, m_selectedTab);
}

void IslandViewModel::startExternalDrag()
{
    Q_EMIT externalDragStarted();
}

IslandLayoutStyle IslandViewModel::layoutStyle() const
{
    return m_layout ? m_layout->style : IslandLayoutStyle::pill;
}

QList<int> IslandViewModel::availableTabValues() const
{
    QList<int> values;
    for (IslandTab tab : m_availableTabs)
        values.append(int(tab));
    return values;
}
