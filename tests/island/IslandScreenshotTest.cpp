#include "ActivityService.h"
#include "BatteryService.h"
#include "CalendarService.h"
#include "FakeActivityHost.h"
#include "FakeAudioHardware.h"
#include "FakeCalendarStore.h"
#include "FakeClipboard.h"
#include "FakeDisplayBrightness.h"
#include "FakeIslandActions.h"
#include "FakeMediaKeyGrabber.h"
#include "FakePowerSources.h"
#include "FakeShelfPlatform.h"
#include "FakeWindowBlur.h"
#include "HUDController.h"
#include "IslandFeaturesObject.h"
#include "IslandViewModel.h"
#include "IslandViews.h"
#include "ManualScheduler.h"
#include "SettingsStore.h"
#include "ShelfService.h"
#include "TempDir.h"
#include "TestScreens.h"
#include "UserDefaults.h"
#include "ViewProbe.h"

#include <QAccessible>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QTest>

#include <QFile>
#include <QMimeData>
#include <QPointer>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

// The island drawn by its real views in a real X window: items, texts and
// geometry from the item tree, colour and shape by the shots' references.
// Each screenshot is kept under screenshots/ in the build tree.
namespace {
// What the harness window shows around the island, like a desktop behind
// the transparent panel.
const QColor desktop(96, 112, 136);

using ViewProbe::find;
using ViewProbe::lightness;

// Items named `name` under `from`, Repeater-made ones included.
QList<QQuickItem*> findAll(QQuickItem* from, const QString& name)
{
    QList<QQuickItem*> found;
    if (from->objectName() == name)
        found << from;
    for (QQuickItem* child : from->childItems())
        found << findAll(child, name);
    return found;
}

class IslandScreenshotTest : public TempDirTest {
protected:
    ~IslandScreenshotTest() override
    {
        m_view.reset();
        WindowBlur::install(nullptr);
        Clock::setSystem(nullptr);
    }

    void SetUp() override
    {
        IslandViews::initialize();
        WindowBlur::install(&m_blur);
        // The clock reads 14:00, so screenshots match their references.
        Clock::setSystem(&m_clock);
        m_defaults = std::make_unique<UserDefaults>(path(QStringLiteral("settings.ini")));
        m_settings = std::make_unique<SettingsStore>(*m_defaults);
        m_view = std::make_unique<QQuickView>();
        m_view->setFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint);
        m_view->setColor(desktop);
        m_view->setResizeMode(QQuickView::SizeRootObjectToView);
        m_model.setStatusContent({ true, true, true });
        m_model.setCompactActivity(IslandCompactActivity::status);
    }

    // A pill on a 1280-wide screen with a 20-pt band, or a 200 x 32 notch
    // with wings for `activity`.
    static IslandLayout pill() { return IslandLayout(TestScreens::plain(QStringLiteral("s"), QRect(0, 0, 1280, 800)), 0); }
    static IslandLayout notch(IslandCompactActivity activity = IslandCompactActivity::status)
    {
        return IslandLayout(TestScreens::notched(QStringLiteral("s"), QRect(0, 0, 1280, 800), QSizeF(200, 32)),
            IslandLayout::compactWingWidth(activity));
    }

    void show(const IslandLayout& layout, bool expanded)
    {
        m_model.setLayout(layout);
        m_model.setState(expanded ? IslandState::expanded : IslandState::compact);
        m_view->setInitialProperties({ { QStringLiteral("viewModel"), QVariant::fromValue<QObject*>(&m_model) },
            { QStringLiteral("settings"), QVariant::fromValue<QObject*>(m_settings.get()) },
            { QStringLiteral("actions"), QVariant::fromValue<QObject*>(&m_actions.object) },
            { QStringLiteral("features"), QVariant::fromValue<QObject*>(m_features.get()) } });
        m_view->setSource(IslandViews::rootViewUrl());
        ASSERT_EQ(m_view->status(), QQuickView::Ready) << qPrintable(ViewProbe::errors(*m_view));
        m_view->resize((expanded ? layout.openPanelFrame() : layout.closedPanelFrame()).size());
        m_view->setPosition(100, 0);
        m_view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_view.get()));
        settle();
    }

    void settle()
    {
        EXPECT_TRUE(QTest::qWaitFor([&] { return root()->property("isSettled").toBool(); }, 5000));
    }

    QImage shoot(const QString& name) { return ViewProbe::shoot(*m_view, name); }

    QQuickItem* root() const { return m_view->rootObject(); }
    QQuickItem* item(const char* name) const { return find(root(), QString::fromLatin1(name)); }
    QRectF sceneRect(QQuickItem* i) const { return i->mapRectToScene(i->boundingRect()); }
    /// The item named `name` is shown, inside `area` of the window.
    bool shownWithin(const char* name, const QRectF& area) const
    {
        QQuickItem* i = item(name);
        return i && i->isVisible() && i->opacity() > 0 && area.contains(sceneRect(i));
    }
    QString text(const char* name) const { return item(name) ? item(name)->property("text").toString() : QString(); }
    /// `items` top to bottom, or left to right.
    QList<QQuickItem*> sorted(QList<QQuickItem*> items, bool byX = false) const
    {
        std::sort(items.begin(), items.end(), [&](QQuickItem* a, QQuickItem* b) {
            return byX ? sceneRect(a).x() < sceneRect(b).x() : sceneRect(a).y() < sceneRect(b).y();
        });
        return items;
    }
    void click(QQuickItem* i) { QTest::mouseClick(m_view.get(), Qt::LeftButton, {}, sceneRect(i).center().toPoint()); }
    void setFeatures(const IslandFeatures& features) { m_features = std::make_unique<IslandFeaturesObject>(features); }
    /// A battery service over `m_power`, reporting `level` percent.
    BatteryService& battery(int level)
    {
        m_power.sources = { FakePowerSources::battery(level) };
        m_battery = std::make_unique<BatteryService>(m_power);
        m_battery->start();
        setFeatures(IslandFeatures { m_battery.get() });
        return *m_battery;
    }

    // The Calendar tab at 14:00 on Monday 5 January 2026 with three of
    // today's events: one ended, one running, one to come.
    void showCalendar(CalendarTabStyle style, bool granted = true)
    {
        if (granted)
            m_defaults->setString(CalendarService::accessKey(), QStringLiteral("granted"));
        const auto event = [](const char* title, QTime start, QTime end, QColor color) {
            CalendarStoreEvent e;
            e.identifier = QString::fromLatin1(title);
            e.title = e.identifier;
            e.start = QDateTime(QDate(2026, 1, 5), start);
            e.end = QDateTime(QDate(2026, 1, 5), end);
            e.color = color;
            return e;
        };
        m_calendarStore.events = { event("Design review", QTime(9, 0), QTime(10, 0), QColor(255, 149, 0)),
            event("Lunch with Sam", QTime(13, 30), QTime(14, 30), QColor(52, 199, 89)),
            event("Dentist", QTime(16, 15), QTime(17, 0), QColor(175, 82, 222)) };
        m_calendar = std::make_unique<CalendarService>(m_calendarStore, *m_defaults, m_clock, m_clock);
        m_calendar->start();
        m_calendarStore.answerAll();
        IslandFeatures features;
        features.calendar = m_calendar.get();
        setFeatures(features);
        m_model.setSelectedTab(IslandTab::calendar);
        m_model.setCalendarStyle(style);
        show(pill(), true);
        m_calendarStore.answerAll(); // the month the grid asked for
    }

    // The Shelf tab holding `names` (files made under the test folder), the
    // first with a rendered red preview.
    void showShelf(const QStringList& names)
    {
        QMimeData drop;
        QList<QUrl> urls;
        for (const QString& name : names)
            urls.append(QUrl::fromLocalFile(writeFile(name, {})));
        m_shelf = std::make_unique<ShelfService>(
            ShelfService::Platform { m_thumbnails, m_browser, m_sharing, m_systemClipboard }, std::nullopt, m_dir.path());
        drop.setUrls(urls);
        m_shelf->add(drop);
        QImage red(120, 80, QImage::Format_RGB32);
        red.fill(Qt::red);
        m_thumbnails.answer(urls.first().toLocalFile(), red);
        IslandFeatures features;
        features.shelf = m_shelf.get();
        setFeatures(features);
        m_model.setSelectedTab(IslandTab::shelf);
        show(pill(), true);
    }

    FakePowerSources m_power;
    std::unique_ptr<BatteryService> m_battery;
    FakeFileThumbnails m_thumbnails;
    FakeFileBrowser m_browser;
    FakeDeviceSharing m_sharing;
    FakeClipboard m_systemClipboard;
    std::unique_ptr<ShelfService> m_shelf;
    ManualScheduler m_clock { QDateTime(QDate(2026, 1, 5), QTime(14, 0)) };
    FakeCalendarStore m_calendarStore;
    std::unique_ptr<CalendarService> m_calendar;
    std::unique_ptr<IslandFeaturesObject> m_features;
    std::unique_ptr<UserDefaults> m_defaults;
    std::unique_ptr<SettingsStore> m_settings;
    IslandViewModel m_model;
    FakeIslandActions m_actions;
    FakeWindowBlur m_blur;
    std::unique_ptr<QQuickView> m_view;
};

} // namespace

TEST_F(IslandScreenshotTest, ClosedPillIsABlackCapsuleBelowTheTopEdgeWithTheClock)
{
    m_model.setStatusContent({ true, false, true });
    show(pill(), false);
    shoot(QStringLiteral("closed-pill"));
    // The clock on the left half, nothing on the right.
    EXPECT_TRUE(shownWithin("clockTime", QRectF(10, 2, 65, 20))) << qPrintable(text("clockTime"));
    EXPECT_FALSE(text("clockTime").isEmpty());
    EXPECT_FALSE(item("batterySlot")->isVisible());

    // With a battery shown: its percentage on the right, 10 from the capsule's end.
    battery(54);
    m_model.setStatusContent({ true, true, true });
    show(pill(), false);
    EXPECT_TRUE(QTest::qWaitFor([&] { return shownWithin("batterySlot", QRectF(80, 2, 60, 20)); }, 3000));
    EXPECT_EQ(text("batteryLevel"), QStringLiteral("54%"));
    EXPECT_NEAR(sceneRect(item("batterySlot")).right(), 140, 1);
    EXPECT_TRUE(shownWithin("clockTime", QRectF(10, 2, 65, 20)));
    shoot(QStringLiteral("closed-pill-battery"));
}

TEST_F(IslandScreenshotTest, ClosedNotchFlaresIntoTheTopEdgeWithTheClockLeftOfTheNotch)
{
    // No battery service: right side empty.
    show(notch(), false);
    shoot(QStringLiteral("closed-notch"));
    EXPECT_TRUE(shownWithin("clockTime", QRectF(18, 0, 60, 32))); // left of the notch

    // The outline a panel shapes its window to is the drawn one.
    const QRegion outline = IslandViews::outline(root());
    EXPECT_TRUE(outline.contains(QPoint(178, 16)));
    EXPECT_TRUE(outline.contains(QPoint(4, 0)));
    EXPECT_FALSE(outline.contains(QPoint(2, 16)));
    EXPECT_TRUE(outline.contains(QPoint(350, 1)));

    // Music starts: narrower wings; the closed island springs to its new width.
    m_model.setLayout(notch(IslandCompactActivity::media));
    EXPECT_GT(root()->property("islandRect").toRectF().width(), 340);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return qFuzzyCompare(1.0 + root()->property("islandRect").toRectF().width(), 1.0 + (300.0)); }, 3000))
        << root()->property("islandRect").toRectF().width();
}

TEST_F(IslandScreenshotTest, OpenIslandShowsTheTabsWithTheActiveOneHighlightedAndTheGear)
{
    m_model.setSelectedTab(IslandTab::calendar);
    show(pill(), true);
    const QImage shot = shoot(QStringLiteral("open-tabs"));
    EXPECT_TRUE(shownWithin("clockTime", QRectF(42, 0, 80, 32))); // the clock in the open band

    // Each tab named, in order left to right, inside the island.
    qreal left = 0;
    for (const auto& [name, title] : { std::pair("nowPlaying", "Now Playing"), std::pair("calendar", "Calendar"),
             std::pair("clipboard", "Clipboard"), std::pair("shelf", "Shelf") }) {
        QQuickItem* button = item((QByteArray("tab_") + name).constData());
        ASSERT_TRUE(button) << name;
        EXPECT_EQ(button->property("text").toString(), QLatin1String(title));
        const QRect r = sceneRect(button).toAlignedRect();
        EXPECT_TRUE(QRect(24, 0, 520, 217).contains(r)) << name;
        EXPECT_GT(r.left(), left) << name;
        left = r.right();
    }
    EXPECT_TRUE(shownWithin("settingsButton", QRectF(24, 0, 520, 217)));

    // A click moves the selection; the highlight slides after it.
    const QPointF shelf = sceneRect(item("tab_shelf")).center();
    QTest::mouseClick(m_view.get(), Qt::LeftButton, {}, shelf.toPoint());
    EXPECT_EQ(m_model.selectedTab(), IslandTab::shelf);
    QQuickItem* highlight = item("selectionHighlight");
    EXPECT_TRUE(QTest::qWaitFor([&] { return qFuzzyCompare(1.0 + sceneRect(highlight).center().x(), 1.0 + (shelf.x())); }, 3000))
        << sceneRect(highlight).center().x();

    // The gear names itself, opens the settings, and its menu quits.
    QQuickItem* gear = item("settingsButton");
    EXPECT_EQ(ViewProbe::accessibleName(gear), QStringLiteral("Settings"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(gear)->role(), QAccessible::Button);

    const QPoint centre = sceneRect(gear).center().toPoint();
    QTest::mouseMove(m_view.get(), centre);
    QObject* tip = gear->findChild<QObject*>(QStringLiteral("settingsToolTip"));
    ASSERT_TRUE(tip);
    EXPECT_TRUE(QTest::qWaitFor([&] { return tip->property("opened").toBool(); }, 3000));
    EXPECT_EQ(tip->property("text").toString(), QStringLiteral("Settings"));
    QTest::mouseClick(m_view.get(), Qt::LeftButton, {}, centre);
    EXPECT_EQ(m_actions.openSettingsCalls, 1);

    QTest::mouseClick(m_view.get(), Qt::RightButton, {}, centre);
    QObject* menu = root()->findChild<QObject*>(QStringLiteral("settingsMenu"));
    ASSERT_TRUE(menu);
    EXPECT_TRUE(QTest::qWaitFor([&] { return menu->property("opened").toBool(); }, 3000));
    shoot(QStringLiteral("open-settings-menu"));
    QQuickItem* quit = nullptr;
    for (QQuickItem* candidate : menu->findChildren<QQuickItem*>())
        if (candidate->property("text").toString() == QStringLiteral("Quit Brimwell"))
            quit = candidate;
    ASSERT_TRUE(quit);
    click(quit);
    EXPECT_EQ(m_actions.quitCalls, 1);
    EXPECT_EQ(m_actions.openSettingsCalls, 1);
}

TEST_F(IslandScreenshotTest, WithNoFeatureTheOpenIslandLeadsToTheSettings)
{
    m_model.setAvailableTabs({});
    show(pill(), true);
    const QImage shot = shoot(QStringLiteral("open-no-feature"));

    EXPECT_FALSE(item("tabBar")->isVisible());
    EXPECT_FALSE(item("settingsButton")->isVisible());
    QQuickItem* message = item("noFeatureMessage");
    ASSERT_TRUE(message->isVisible());
    EXPECT_EQ(message->property("title").toString(), QStringLiteral("Turn on a feature in Settings"));
    QQuickItem* button = item("messageAction");
    ASSERT_TRUE(button->isVisible());
    EXPECT_EQ(button->property("text").toString(), QStringLiteral("Open Settings"));
    const QRect buttonRect = sceneRect(button).toAlignedRect();
    EXPECT_GT(buttonRect.width(), 60);

    QTest::mouseClick(m_view.get(), Qt::LeftButton, {}, buttonRect.center());
    EXPECT_EQ(m_actions.openSettingsCalls, 1);
}

TEST_F(IslandScreenshotTest, GlassStyleGlowsFromBelow)
{
    m_settings->setExpandedBackgroundStyle(IslandBackgroundStyle::glass);
    m_settings->setGlassGlow(0.6);
    show(pill(), true);
    shoot(QStringLiteral("open-glass"));

    // The desktop is asked to blur behind the glass island, and only there.
    const QRegion blurred = m_blur.regions.value(m_view.get());
    EXPECT_TRUE(QRect(24, 2, 520, 211).contains(blurred.boundingRect()));
    EXPECT_TRUE(blurred.contains(QPoint(284, 100)));
    EXPECT_TRUE(blurred.contains(QPoint(30, 100)));
    EXPECT_FALSE(blurred.contains(QPoint(25, 3))); // a rounded corner
    EXPECT_FALSE(blurred.contains(QPoint(284, 220)));
    m_model.setState(IslandState::compact);
    settle();
    EXPECT_TRUE(m_blur.regions.value(m_view.get()).isEmpty()); // the closed island is black
}

TEST_F(IslandScreenshotTest, OpenNotchShowsOnlyTheAvailableTabsAndClosesInsideItsPanel)
{
    m_model.setAvailableTabs({ IslandTab::clipboard, IslandTab::shelf });
    show(notch(), true);

    EXPECT_EQ(root()->property("islandRect").toRectF(), QRectF(24, 0, 520, 217));
    EXPECT_TRUE(item("tab_clipboard")->isVisible());
    EXPECT_FALSE(item("tab_nowPlaying"));
    click(item("tab_shelf"));
    EXPECT_EQ(m_model.selectedTab(), IslandTab::shelf);

    m_model.setState(IslandState::compact);
    settle();
    EXPECT_EQ(root()->property("islandRect").toRectF(), QRectF(106, 0, 356, 32));

    // Without animation (placement, an immediate close): closed at once, no
    // spring playing inside a panel already cut to the closed frame.
    m_model.setState(IslandState::expanded);
    settle();
    m_model.setState(IslandState::compact, false);
    EXPECT_TRUE(root()->property("isSettled").toBool());
    EXPECT_EQ(root()->property("islandRect").toRectF(), QRectF(106, 0, 356, 32));
    m_model.setState(IslandState::expanded);
    EXPECT_FALSE(root()->property("isSettled").toBool()); // opening springs again
}

TEST_F(IslandScreenshotTest, TheBandShowsTheBatteryRightOfTheNotchAndInThePill)
{
    battery(87);
    show(notch(), false);
    shoot(QStringLiteral("closed-notch-battery"));
    EXPECT_TRUE(shownWithin("batterySlot", QRectF(280, 0, 60, 32))); // right of the notch
    EXPECT_EQ(text("batteryLevel"), QStringLiteral("87%"));
    EXPECT_EQ(ViewProbe::accessibleName(item("batterySlot")->childItems().value(0)), QStringLiteral("Battery 87 percent"));

    // White down to 21 %, red from 20 % on battery power, green charging.
    const auto iconColour = [&] { return item("batteryIcon")->property("color").value<QColor>(); };
    EXPECT_EQ(iconColour(), QColor(Qt::white));
    m_power.change({ FakePowerSources::battery(21) });
    EXPECT_EQ(iconColour(), QColor(Qt::white)) << qPrintable(iconColour().name());
    m_power.change({ FakePowerSources::battery(20) });
    QColor ink = iconColour();
    EXPECT_TRUE(ink.red() > 150 && ink.red() > 2 * ink.green()) << qPrintable(ink.name());
    shoot(QStringLiteral("closed-notch-battery-low"));
    m_power.change({ FakePowerSources::battery(20, true, true) });
    ink = iconColour();
    EXPECT_TRUE(ink.green() > 150 && ink.green() > 2 * ink.red()) << qPrintable(ink.name());
    shoot(QStringLiteral("closed-notch-battery-charging"));

    // No battery any more: the indicator fades out.
    m_power.change({});
    EXPECT_TRUE(QTest::qWaitFor([&] { return !item("batterySlot")->isVisible(); }, 3000));
}

TEST_F(IslandScreenshotTest, AnOverAmplifiedVolumeShowsAFullBarNamedWithItsRealPercentage)
{
    FakeAudioHardware audio;
    audio.devices[7] = {};
    audio.defaultDevice = 7;
    FakeDisplayBrightness display;
    FakeMediaKeyGrabber keys;
    HUDController hud(*m_settings, audio, display, keys, m_clock);
    hud.start();
    audio.devices[7].volume = 1.2f; // another mixer goes past the normal volume
    Q_EMIT audio.deviceChanged(7);
    ASSERT_TRUE(hud.presenter()->hasState());
    IslandFeatures features;
    features.hud = &hud;
    setFeatures(features);
    m_model.setCompactActivity(IslandCompactActivity::hud);
    show(notch(IslandCompactActivity::hud), false);

    QQuickItem* bar = item("hudLevelBar");
    ASSERT_TRUE(bar);
    EXPECT_TRUE(QTest::qWaitFor([&] { return bar->property("value").toDouble() == 1.0; }, 3000))
        << bar->property("value").toDouble();
    EXPECT_EQ(ViewProbe::accessibleName(bar), QStringLiteral("Volume 120 percent"));
    EXPECT_EQ(ViewProbe::accessibleName(item("hudIconSlot")->childItems().value(0)), QStringLiteral("Volume 120 percent"));
    // Lit to its right end, beside the loud speaker once it has faded in.
    EXPECT_TRUE(QTest::qWaitFor([&] { return item("hudIcon")->opacity() == 1.0; }, 3000));
    shoot(QStringLiteral("closed-notch-hud-120"));
    m_view.reset(); // before the controller it shows
}

TEST_F(IslandScreenshotTest, CalendarTabAsksForAccessThenListsTodaysEventsBesideTheDateBadge)
{
    showCalendar(CalendarTabStyle::today, false);
    shoot(QStringLiteral("open-calendar-access"));
    QQuickItem* message = item("calendarAccessMessage");
    ASSERT_TRUE(message && message->isVisible());
    EXPECT_EQ(message->property("title").toString(), QStringLiteral("See your events here"));
    EXPECT_FALSE(item("todayRow"));
    const QList<QQuickItem*> buttons = findAll(message, QStringLiteral("messageAction"));
    ASSERT_EQ(buttons.size(), 1);
    ASSERT_TRUE(buttons[0]->isVisible());
    EXPECT_EQ(buttons[0]->property("text").toString(), QStringLiteral("Allow Calendar Access"));
    click(buttons[0]);
    EXPECT_EQ(m_calendar->access(), CalendarAccess::granted);
    m_calendarStore.answerAll();
    ASSERT_TRUE(QTest::qWaitFor([&] { return findAll(root(), QStringLiteral("todayRow")).size() == 3; }, 3000));
    EXPECT_FALSE(message->isVisible());
    settle();
    shoot(QStringLiteral("open-calendar-today"));

    const QList<QQuickItem*> rows = sorted(findAll(root(), QStringLiteral("todayRow")));
    ASSERT_EQ(rows.size(), 3);
    // Running, then to come, then ended (dimmed).
    EXPECT_EQ(find(rows[0], QStringLiteral("eventTitle"))->property("text").toString(), QStringLiteral("Lunch with Sam"));
    EXPECT_TRUE(find(rows[0], QStringLiteral("eventNow"))->isVisible());
    EXPECT_TRUE(find(rows[1], QStringLiteral("eventUntil"))->isVisible());
    EXPECT_EQ(find(rows[1], QStringLiteral("eventUntil"))->property("text").toString(), QStringLiteral(" · in 2 hr, 15 min"));
    EXPECT_DOUBLE_EQ(rows[2]->opacity(), 0.45);
}

TEST_F(IslandScreenshotTest, CalendarTabMonthMarksTodayAndListsTheSelectedDay)
{
    showCalendar(CalendarTabStyle::month);
    shoot(QStringLiteral("open-calendar-month"));
    ASSERT_TRUE(item("day_5") && item("day_6"));
    EXPECT_EQ(item("selectedDayTitle")->property("text").toString(), QLocale().toString(QDate(2026, 1, 5), "dddd, MMMM d"));
    EXPECT_EQ(findAll(root(), QStringLiteral("dayRow")).size(), 3);

    // Another day: its (empty) list.
    click(item("day_6"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return item("noEventsOnDay")->isVisible(); }, 3000));
    shoot(QStringLiteral("open-calendar-month-other-day"));
}

TEST_F(IslandScreenshotTest, ShelfTabShowsATilePerFileAndTheDropFrame)
{
    m_thumbnails.withoutIcon = { path(QStringLiteral("notes.txt")) };
    showShelf({ QStringLiteral("photo.png"), QStringLiteral("notes.txt"),
        QStringLiteral("a quarterly report with a very long name.pdf"), QStringLiteral("slides.odp") });
    shoot(QStringLiteral("open-shelf"));

    const QList<QQuickItem*> tiles = sorted(findAll(root(), QStringLiteral("shelfTile")), true);
    ASSERT_EQ(tiles.size(), 4);
    EXPECT_EQ(item("shelfHeaderText")->property("text").toString(), QStringLiteral("4 items · Drag out to use"));
    // Sending is offered only while a device can take the files.
    EXPECT_FALSE(item("sendAllButton")->isVisible());
    m_sharing.reachable = { { QStringLiteral("phone"), QStringLiteral("Phone") } };
    Q_EMIT m_sharing.availabilityChanged();
    EXPECT_TRUE(item("sendAllButton")->isVisible());
    EXPECT_EQ(item("sendAllButton")->property("text").toString(), QStringLiteral("Send All to Device"));
    m_sharing.reachable.clear();
    Q_EMIT m_sharing.availabilityChanged();
    EXPECT_FALSE(item("sendAllButton")->isVisible());
    // The rendered preview is drawn; a tile without any shows the symbol.
    EXPECT_TRUE(find(tiles[0], QStringLiteral("shelfPreview"))->property("hasImage").toBool());
    EXPECT_FALSE(find(tiles[1], QStringLiteral("shelfPreview"))->property("hasImage").toBool());

    m_model.setDropTargeted(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return qFuzzyCompare(1.0 + item("dropFrame")->opacity(), 1.0 + (1.0)); }, 2000))
        << item("dropFrame")->opacity();
    shoot(QStringLiteral("open-shelf-drop-frame"));

    // Clearing leaves the message of an empty shelf under the frame.
    m_model.setDropTargeted(false);
    m_shelf->clear();
    EXPECT_TRUE(QTest::qWaitFor([&] { return item("shelfMessage")->isVisible(); }, 2000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !item("dropFrame")->isVisible(); }, 2000));
}

TEST_F(IslandScreenshotTest, ShelfStripKeepsItsPlaceAndHoverWhileTilesChange)
{
    QStringList names;
    for (int i = 1; i <= 20; ++i) {
        names.append(QStringLiteral("file %1.txt").arg(i, 2, 10, QLatin1Char('0')));
        m_thumbnails.withoutIcon.append(path(names.last()));
    }
    showShelf(names);
    QQuickItem* strip = item("shelfStrip");
    QMetaObject::invokeMethod(strip, "positionViewAtEnd");
    const qreal end = strip->property("contentX").toReal();
    ASSERT_GT(end, 0);
    const QList<QQuickItem*> tiles = findAll(root(), QStringLiteral("shelfTile"));
    const auto last
        = std::find_if(tiles.begin(), tiles.end(), [](QQuickItem* t) { return t->property("name") == "file 20.txt"; });
    ASSERT_NE(last, tiles.end());
    const QPointer<QQuickItem> hovered = *last;
    QTest::mouseMove(m_view.get(), sceneRect(hovered).center().toPoint());
    QQuickItem* mouse = find(hovered, QStringLiteral("shelfTileMouse"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return mouse->property("containsMouse").toBool(); }, 2000));
    // The same delegate, where it was, still under the pointer.
    const auto kept = [&] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return hovered && strip->property("contentX").toReal() == end && mouse->property("containsMouse").toBool();
    };

    QImage green(60, 60, QImage::Format_RGB32);
    green.fill(Qt::green);
    m_thumbnails.answer(path(QStringLiteral("file 20.txt")), green);
    EXPECT_TRUE(find(hovered, QStringLiteral("shelfPreview"))->property("hasImage").toBool());
    EXPECT_TRUE(kept()) << "a preview arrived";
    m_sharing.reachable = { { QStringLiteral("p"), QStringLiteral("Phone") }, { QStringLiteral("t"), QStringLiteral("Tablet") } };
    Q_EMIT m_sharing.availabilityChanged();
    EXPECT_TRUE(kept()) << "devices came";
    QMimeData drop;
    drop.setUrls({ QUrl::fromLocalFile(writeFile(QStringLiteral("new.txt"), {})) });
    ASSERT_TRUE(m_shelf->add(drop));
    EXPECT_TRUE(kept()) << "a drop went on top, out of sight";

    // With two devices "Send All to Device" asks which; the choice takes every file.
    click(item("sendAllButton"));
    QList<QQuickItem*> entries;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            entries = findAll(m_view->contentItem(), QStringLiteral("deviceEntry"));
            return entries.size() == 2 && entries[1]->isVisible() && sceneRect(entries[0]).y() != sceneRect(entries[1]).y();
        },
        2000));
    entries = sorted(entries);
    shoot(QStringLiteral("open-shelf-devices"));
    EXPECT_EQ(entries[1]->property("text").toString(), QStringLiteral("Tablet"));
    click(entries[1]);
    ASSERT_EQ(m_sharing.sent.size(), 1);
    EXPECT_EQ(m_sharing.sent[0].first, QStringLiteral("t"));
    EXPECT_EQ(m_sharing.sent[0].second.size(), 21);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !entries[1]->isVisible(); }, 2000)) << "the menu closes";
}

// A download at a quarter, then a five-minute tea timer in orange with a Stop button.
struct PostedActivities {
    explicit PostedActivities(ManualScheduler& clock)
        : service(host, clock, clock)
    {
        const qint64 now = clock.now().toMSecsSinceEpoch();
        host.start(QStringLiteral(":1.4"), QStringLiteral("Download"),
            { { QStringLiteral("progress"), 0.25 }, { QStringLiteral("symbol"), QStringLiteral("arrow.down.to.line") } });
        timer = host.start(QStringLiteral(":1.4"), QStringLiteral("Tea"),
                        { { QStringLiteral("subtitle"), QStringLiteral("Green, 80 °C") },
                            { QStringLiteral("endsAt"), now + 5 * 60'000 }, { QStringLiteral("symbol"), QStringLiteral("timer") },
                            { QStringLiteral("accent"), QStringLiteral("#ff9f0a") },
                            { QStringLiteral("actions"), QStringList { QStringLiteral("Stop") } } })
                    .id;
    }
    IslandFeatures features()
    {
        IslandFeatures f;
        f.activities = &service;
        return f;
    }

    FakeActivityHost host;
    ActivityService service;
    quint32 timer = 0;
};

TEST_F(IslandScreenshotTest, ALiveActivityShowsItsSymbolLeftAndCountdownRightOfTheNotch)
{
    PostedActivities posted(m_clock);
    m_features = std::make_unique<IslandFeaturesObject>(posted.features());
    m_model.setCompactActivity(IslandCompactActivity::liveActivity);
    show(notch(IslandCompactActivity::liveActivity), false);
    shoot(QStringLiteral("closed-notch-activity"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return shownWithin("activityValueText", QRectF(262, 0, 45, 32)); }, 3000))
        << sceneRect(item("activityValueText")).x();
    EXPECT_EQ(text("activityValueText"), QStringLiteral("5:00"));
    EXPECT_TRUE(shownWithin("activitySymbolSlot", QRectF(18, 0, 44, 32)));
    EXPECT_FALSE(item("clockSlot")->isVisible());
}

TEST_F(IslandScreenshotTest, TheActivitiesTabListsTheNewestFirstWithItsButtons)
{
    PostedActivities posted(m_clock);
    m_features = std::make_unique<IslandFeaturesObject>(posted.features());
    m_model.setAvailableTabs({ IslandTab::activities });
    show(pill(), true);
    shoot(QStringLiteral("open-activities"));
    QList<QQuickItem*> titles = findAll(root(), QStringLiteral("activityTitle"));
    ASSERT_EQ(titles.size(), 2);
    std::sort(titles.begin(), titles.end(), [this](QQuickItem* a, QQuickItem* b) { return sceneRect(a).y() < sceneRect(b).y(); });
    EXPECT_EQ(titles[0]->property("text").toString(), QStringLiteral("Tea"));
    EXPECT_EQ(titles[1]->property("text").toString(), QStringLiteral("Download"));
    const QList<QQuickItem*> bars = findAll(root(), QStringLiteral("activityProgress"));
    const auto shownBar = std::find_if(bars.begin(), bars.end(), [](QQuickItem* i) { return i->isVisible(); });
    ASSERT_NE(shownBar, bars.end());
    EXPECT_NEAR(sceneRect(*shownBar).y(), sceneRect(titles[1]).bottom() + 3, 1); // under the download's title
    const QList<QQuickItem*> buttons = findAll(root(), QStringLiteral("activityAction"));
    ASSERT_EQ(buttons.size(), 1);
    EXPECT_EQ(buttons[0]->property("text").toString(), QStringLiteral("Stop"));
    QTest::mouseClick(m_view.get(), Qt::LeftButton, {}, sceneRect(buttons[0]).center().toPoint());
    EXPECT_EQ(posted.host.actions, (QList<std::pair<quint32, QString>> { { posted.timer, QStringLiteral("Stop") } }));
    // Its close button ends it as the user's choice.
    const QList<QQuickItem*> closes = findAll(root(), QStringLiteral("activityClose"));
    const auto first = std::min_element(
        closes.begin(), closes.end(), [this](QQuickItem* a, QQuickItem* b) { return sceneRect(a).y() < sceneRect(b).y(); });
    QTest::mouseClick(m_view.get(), Qt::LeftButton, {}, sceneRect(*first).center().toPoint());
    ASSERT_FALSE(posted.host.ended.isEmpty());
    EXPECT_EQ(posted.host.ended.last(), std::pair(posted.timer, ActivityEndReason::byUser));
    EXPECT_TRUE(QTest::qWaitFor([&] { return findAll(root(), QStringLiteral("activityTitle")).size() == 1; }, 2000));
}
