#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <optional>

// Each enumeration sits in a namespace of its own, which QML sees as a type
// of that name. Qt 6.4 gives a namespace's enum class values only scoped, so
// QML writes `IslandTabs.IslandTab.calendar`; C++ uses the plain names below.

namespace IslandStates {
Q_NAMESPACE
QML_ELEMENT
/// Closed or open.
enum class IslandState { compact, expanded };
Q_ENUM_NS(IslandState)
} // namespace IslandStates
using IslandStates::IslandState;

namespace IslandTabs {
Q_NAMESPACE
QML_ELEMENT
/// The open island's tabs, in the order of every tab list.
enum class IslandTab { nowPlaying, calendar, clipboard, shelf, activities };
Q_ENUM_NS(IslandTab)
} // namespace IslandTabs
using IslandTabs::IslandTab;

namespace IslandCompactActivities {
Q_NAMESPACE
QML_ELEMENT
/// What the closed island shows beside the notch, in rising priority.
enum class IslandCompactActivity { none, status, media, liveActivity, hud };
Q_ENUM_NS(IslandCompactActivity)
} // namespace IslandCompactActivities
using IslandCompactActivities::IslandCompactActivity;

namespace IslandLayoutStyles {
Q_NAMESPACE
QML_ELEMENT
/// The closed island's form: around a camera notch, or a floating pill.
enum class IslandLayoutStyle { notch, pill };
Q_ENUM_NS(IslandLayoutStyle)
} // namespace IslandLayoutStyles
using IslandLayoutStyles::IslandLayoutStyle;

namespace BandItems {
Q_NAMESPACE
QML_ELEMENT
/// What one side of the status band shows.
enum class BandItem { none, clock, battery, artwork, audioBars, hudIcon, hudLevel, activitySymbol, activityValue };
Q_ENUM_NS(BandItem)
} // namespace BandItems
using BandItems::BandItem;

namespace CalendarTabStyles {
Q_NAMESPACE
QML_ELEMENT
/// How the Calendar tab looks.
enum class CalendarTabStyle { today, month };
Q_ENUM_NS(CalendarTabStyle)
} // namespace CalendarTabStyles
using CalendarTabStyles::CalendarTabStyle;

/// What the status band holds.
struct IslandStatusContent {
    bool showsClock = false;
    bool showsBattery = false;
    bool showsInCompact = true;

    friend bool operator==(const IslandStatusContent&, const IslandStatusContent&) = default;
};

namespace IslandTabs {
/// Every tab, in order.
inline QList<IslandTab> allCases()
{
    return { IslandTab::nowPlaying, IslandTab::calendar, IslandTab::clipboard, IslandTab::shelf, IslandTab::activities };
}
/// "nowPlaying", "calendar", "clipboard", "shelf", "activities".
QString rawValue(IslandTab tab);
} // namespace IslandTabs
