#include "ActivityService.h"
#include "BatteryIndicatorLogic.h"
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
#include "TestImages.h"
#include "TestScreens.h"
#include "UserDefaults.h"
#include "ViewProbe.h"

#include <QAccessible>
#include <QMimeData>
#include <QPointer>
#include <QQuickItem>
#include <QQuickView>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

// The island drawn by its real views in a real X window: items, texts and
// geometry from the item tree, colour and shape by the shots' references.
// Each screenshot is kept under screenshots/ in the build tree.
namespace {

using ViewProbe::find;

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
        m_view->setColor(QColor(96, 112, 136)); // a desktop behind the transparent panel
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
        const QSize size = (expanded ? layout.openPanelFrame() : layout.closedPanelFrame()).size();
        m_view->resize(size);
        m_view->setPosition(100, 0);
        m_view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_view.get()));
        // Shown again at another size: the window and the scene follow.
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_view->size() == size && root()->size() == QSizeF(size); }, 5000));
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
    qreal islandWidth() const { return root()->property("islandRect").toRectF().width(); }
    /// The item named `name` is shown, inside `area` of the window.
    bool shownWithin(const char* name, const QRectF& area) const
    {
        QQuickItem* i = item(name);
        return i && i->isVisible() && i->opacity() > 0 && area.contains(sceneRect(i));
    }
    QString text(const char* name) const { return textOf(item(name)); }
    static QString textOf(QObject* o, const char* property = "text") { return o ? o->property(property).toString() : QString(); }
    /// Every item named `name`, popups' and Repeater-made ones included,
    /// top to bottom (or left to right).
    QList<QQuickItem*> all(const QString& name, bool byX = false) const
    {
        QList<QQuickItem*> found;
        const std::function<void(QQuickItem*)> visit = [&](QQuickItem* i) {
            if (i->objectName() == name)
                found << i;
            for (QQuickItem* child : i->childItems())
                visit(child);
        };
        visit(m_view->contentItem());
        std::sort(found.begin(), found.end(), [&](QQuickItem* a, QQuickItem* b) {
            return byX ? sceneRect(a).x() < sceneRect(b).x() : sceneRect(a).y() < sceneRect(b).y();
        });
        return found;
    }
    void click(QQuickItem* i, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(m_view.get(), button, {}, sceneRect(i).center().toPoint());
    }
    void setFeatures(const IslandFeatures& features) { m_features = std::make_unique<IslandFeaturesObject>(features); }
    /// A battery service over `m_power`, reporting `level` percent.
    void battery(int level)
    {
        m_power.sources = { FakePowerSources::battery(level) };
        m_battery = std::make_unique<BatteryService>(m_power);
        m_battery->start();
        setFeatures(IslandFeatures { m_battery.get() });
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

TEST_F(IslandScreenshotTest, TheClosedIslandShowsClockAndBatteryBesideTheNotchAndInThePill)
{
    show(notch(), false); // no battery service
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
    EXPECT_GT(islandWidth(), 340);
    EXPECT_TRUE(QTest::qWaitFor([&] { return qFuzzyCompare(islandWidth(), 300.0); }, 3000)) << islandWidth();

    m_model.setStatusContent({ true, false, true });
    show(pill(), false);
    shoot(QStringLiteral("closed-pill"));
    EXPECT_TRUE(shownWithin("clockTime", QRectF(10, 2, 65, 20)));
    // With a battery shown: its percentage on the right, 10 from the capsule's end.
    battery(54);
    m_model.setStatusContent({ true, true, true });
    show(pill(), false);
    EXPECT_TRUE(QTest::qWaitFor([&] { return shownWithin("batterySlot", QRectF(80, 2, 60, 20)); }, 3000));
    EXPECT_EQ(text("batteryLevel"), QStringLiteral("54%"));
    EXPECT_NEAR(sceneRect(item("batterySlot")).right(), 140, 1);

    m_power.change({ FakePowerSources::battery(87) });
    show(notch(), false);
    shoot(QStringLiteral("closed-notch-battery"));
    EXPECT_TRUE(shownWithin("batterySlot", QRectF(280, 0, 60, 32))); // right of the notch
    EXPECT_EQ(text("batteryLevel"), QStringLiteral("87%"));
    EXPECT_EQ(ViewProbe::accessibleName(item("batterySlot")->childItems().value(0)), QStringLiteral("Battery 87 percent"));
    // The icon takes the indicator's colour (its steps: the indicator's test).
    const auto ink = [&] { return item("batteryIcon")->property("color").value<QColor>(); };
    EXPECT_EQ(ink(), QColor(Qt::white));
    m_power.change({ FakePowerSources::battery(20) });
    EXPECT_EQ(ink(), BatteryIndicatorLogic::iconColor(20, false, false)) << qPrintable(ink().name());
    // No battery any more: the indicator fades out.
    m_power.change({});
    EXPECT_TRUE(QTest::qWaitFor([&] { return !item("batterySlot")->isVisible(); }, 3000));
}

TEST_F(IslandScreenshotTest, OpenIslandShowsTheTabsAndTheGearOrLeadsToTheSettingsWithoutAFeature)
{
    m_model.setSelectedTab(IslandTab::calendar);
    show(pill(), true);
    shoot(QStringLiteral("open-tabs"));
    EXPECT_TRUE(shownWithin("clockTime", QRectF(42, 0, 80, 32))); // the clock in the open band
    // Each tab named, in order left to right, inside the island.
    qreal left = 0;
    for (const auto& [name, title] : { std::pair("nowPlaying", "Now Playing"), std::pair("calendar", "Calendar"),
             std::pair("clipboard", "Clipboard"), std::pair("shelf", "Shelf") }) {
        QQuickItem* button = item((QByteArray("tab_") + name).constData());
        ASSERT_TRUE(button) << name;
        EXPECT_EQ(textOf(button), QLatin1String(title));
        const QRect r = sceneRect(button).toAlignedRect();
        EXPECT_TRUE(QRect(24, 0, 520, 217).contains(r)) << name;
        EXPECT_GT(r.left(), left) << name;
        left = r.right();
    }
    // A click moves the selection; the highlight slides after it.
    click(item("tab_shelf"));
    EXPECT_EQ(m_model.selectedTab(), IslandTab::shelf);
    const auto highlightX = [&] { return sceneRect(item("selectionHighlight")).center().x(); };
    EXPECT_TRUE(QTest::qWaitFor([&] { return qFuzzyCompare(highlightX(), sceneRect(item("tab_shelf")).center().x()); }, 3000))
        << highlightX();

    // The gear names itself, opens the settings, and its menu quits.
    QQuickItem* gear = item("settingsButton");
    EXPECT_TRUE(shownWithin("settingsButton", QRectF(24, 0, 520, 217)));
    EXPECT_EQ(ViewProbe::accessibleName(gear), QStringLiteral("Settings"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(gear)->role(), QAccessible::Button);
    QTest::mouseMove(m_view.get(), sceneRect(gear).center().toPoint());
    QObject* tip = gear->findChild<QObject*>(QStringLiteral("settingsToolTip"));
    ASSERT_TRUE(tip);
    EXPECT_TRUE(QTest::qWaitFor([&] { return tip->property("opened").toBool(); }, 3000));
    EXPECT_EQ(textOf(tip), QStringLiteral("Settings"));
    click(gear);
    EXPECT_EQ(m_actions.openSettingsCalls, 1);
    click(gear, Qt::RightButton);
    QObject* menu = root()->findChild<QObject*>(QStringLiteral("settingsMenu"));
    ASSERT_TRUE(menu);
    EXPECT_TRUE(QTest::qWaitFor([&] { return menu->property("opened").toBool(); }, 3000));
    const QList<QQuickItem*> entries = menu->findChildren<QQuickItem*>();
    const auto quit = std::find_if(entries.begin(), entries.end(), [](QQuickItem* i) { return textOf(i) == "Quit Brimwell"; });
    ASSERT_NE(quit, entries.end());
    click(*quit);
    EXPECT_EQ(m_actions.quitCalls, 1);
    EXPECT_EQ(m_actions.openSettingsCalls, 1);

    m_model.setAvailableTabs({});
    show(pill(), true);
    shoot(QStringLiteral("open-no-feature"));
    EXPECT_FALSE(item("tabBar")->isVisible());
    EXPECT_FALSE(item("settingsButton")->isVisible());
    ASSERT_TRUE(item("noFeatureMessage")->isVisible());
    EXPECT_EQ(textOf(item("noFeatureMessage"), "title"), QStringLiteral("Turn on a feature in Settings"));
    QQuickItem* button = item("messageAction");
    EXPECT_EQ(textOf(button), QStringLiteral("Open Settings"));
    click(button);
    EXPECT_EQ(m_actions.openSettingsCalls, 2);
}

TEST_F(IslandScreenshotTest, GlassGlowsFromBelowAndAnOpenNotchClosesInsideItsPanel)
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
    m_model.setState(IslandState::compact);
    settle();
    EXPECT_TRUE(m_blur.regions.value(m_view.get()).isEmpty()); // the closed island is black

    // Open over a notch: only the available tabs, and closing inside the panel.
    m_model.setAvailableTabs({ IslandTab::clipboard, IslandTab::shelf });
    show(notch(), true);
    EXPECT_EQ(root()->property("islandRect").toRectF(), QRectF(24, 0, 520, 217));
    EXPECT_TRUE(item("tab_clipboard")->isVisible());
    EXPECT_FALSE(item("tab_nowPlaying"));

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
    setFeatures({ .hud = &hud });
    m_model.setCompactActivity(IslandCompactActivity::hud);
    show(notch(IslandCompactActivity::hud), false);

    QQuickItem* bar = item("hudLevelBar");
    ASSERT_TRUE(bar);
    EXPECT_TRUE(QTest::qWaitFor([&] { return bar->property("value").toDouble() == 1.0; }, 3000));
    EXPECT_EQ(ViewProbe::accessibleName(bar), QStringLiteral("Volume 120 percent"));
    EXPECT_EQ(ViewProbe::accessibleName(item("hudIconSlot")->childItems().value(0)), QStringLiteral("Volume 120 percent"));
    // Lit to its right end, beside the loud speaker once it has faded in.
    EXPECT_TRUE(QTest::qWaitFor([&] { return item("hudIcon")->opacity() == 1.0; }, 3000));
    shoot(QStringLiteral("closed-notch-hud-120"));
    m_view.reset(); // before the controller it shows
}

TEST_F(IslandScreenshotTest, CalendarTabAsksForAccessThenListsTodaysEventsOrTheMonth)
{
    // 14:00 on Monday 5 January 2026 with three of today's events: one
    // ended, one running, one to come.
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
    setFeatures({ .calendar = m_calendar.get() });
    m_model.setSelectedTab(IslandTab::calendar);
    m_model.setCalendarStyle(CalendarTabStyle::today);
    show(pill(), true);
    m_calendarStore.answerAll(); // the month the grid asked for
    shoot(QStringLiteral("open-calendar-access"));
    QQuickItem* message = item("calendarAccessMessage");
    ASSERT_TRUE(message && message->isVisible());
    EXPECT_EQ(textOf(message, "title"), QStringLiteral("See your events here"));
    QQuickItem* allow = find(message, QStringLiteral("messageAction"));
    ASSERT_TRUE(allow && allow->isVisible());
    EXPECT_EQ(textOf(allow), QStringLiteral("Allow Calendar Access"));
    click(allow);
    EXPECT_EQ(m_calendar->access(), CalendarAccess::granted);
    m_calendarStore.answerAll();
    ASSERT_TRUE(QTest::qWaitFor([&] { return all(QStringLiteral("todayRow")).size() == 3; }, 3000));
    EXPECT_FALSE(message->isVisible());
    settle();
    shoot(QStringLiteral("open-calendar-today"));
    // Running, then to come, then ended (dimmed).
    const QList<QQuickItem*> rows = all(QStringLiteral("todayRow"));
    EXPECT_EQ(textOf(find(rows[0], QStringLiteral("eventTitle"))), QStringLiteral("Lunch with Sam"));
    EXPECT_TRUE(find(rows[0], QStringLiteral("eventNow"))->isVisible());
    EXPECT_TRUE(find(rows[1], QStringLiteral("eventUntil"))->isVisible());
    EXPECT_EQ(textOf(find(rows[1], QStringLiteral("eventUntil"))), QStringLiteral(" · in 2 hr, 15 min"));
    EXPECT_DOUBLE_EQ(rows[2]->opacity(), 0.45);

    // The month marks today and lists the selected day; another day, its (empty) list.
    m_model.setCalendarStyle(CalendarTabStyle::month);
    m_calendarStore.answerAll();
    settle();
    shoot(QStringLiteral("open-calendar-month"));
    ASSERT_TRUE(item("day_5") && item("day_6"));
    EXPECT_EQ(text("selectedDayTitle"), QLocale().toString(QDate(2026, 1, 5), "dddd, MMMM d"));
    EXPECT_EQ(all(QStringLiteral("dayRow")).size(), 3);
    click(item("day_6"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return item("noEventsOnDay")->isVisible(); }, 3000));
}

TEST_F(IslandScreenshotTest, ShelfTabShowsATilePerFileTheDropFrameAndKeepsItsPlace)
{
    // Four files, the first with a rendered red preview, one without an icon.
    m_thumbnails.withoutIcon = { path(QStringLiteral("notes.txt")) };
    QMimeData four;
    QList<QUrl> urls;
    for (const char* name : { "photo.png", "notes.txt", "a quarterly report with a very long name.pdf", "slides.odp" })
        urls.append(QUrl::fromLocalFile(writeFile(QString::fromUtf8(name), {})));
    four.setUrls(urls);
    m_shelf = std::make_unique<ShelfService>(
        ShelfService::Platform { m_thumbnails, m_browser, m_sharing, m_systemClipboard }, std::nullopt, m_dir.path());
    m_shelf->add(four);
    m_thumbnails.answer(urls.first().toLocalFile(), TestImages::filled(QSize(120, 80), Qt::red));
    setFeatures({ .shelf = m_shelf.get() });
    m_model.setSelectedTab(IslandTab::shelf);
    show(pill(), true);
    shoot(QStringLiteral("open-shelf"));
    const QList<QQuickItem*> tiles = all(QStringLiteral("shelfTile"), true);
    ASSERT_EQ(tiles.size(), 4);
    EXPECT_EQ(text("shelfHeaderText"), QStringLiteral("4 items · Drag out to use"));
    // The rendered preview is drawn; a tile without any shows the symbol.
    EXPECT_TRUE(find(tiles[0], QStringLiteral("shelfPreview"))->property("hasImage").toBool());
    EXPECT_FALSE(find(tiles[1], QStringLiteral("shelfPreview"))->property("hasImage").toBool());
    // Sending is offered only while a device can take the files (two come below).
    EXPECT_FALSE(item("sendAllButton")->isVisible());
    EXPECT_EQ(text("sendAllButton"), QStringLiteral("Send All to Device"));

    m_model.setDropTargeted(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return item("dropFrame")->opacity() == 1.0; }, 2000)) << item("dropFrame")->opacity();
    shoot(QStringLiteral("open-shelf-drop-frame"));
    // Clearing leaves the message of an empty shelf under the frame.
    m_model.setDropTargeted(false);
    m_shelf->clear();
    EXPECT_TRUE(QTest::qWaitFor([&] { return item("shelfMessage")->isVisible() && !item("dropFrame")->isVisible(); }, 2000));

    // A full strip keeps its place and its hovered tile while a drop goes on
    // top (the model tells each change row by row: the shelf's test).
    QMimeData twenty;
    urls.clear();
    for (int i = 1; i <= 20; ++i) {
        urls.append(QUrl::fromLocalFile(writeFile(QStringLiteral("file %1.txt").arg(i, 2, 10, QLatin1Char('0')), {})));
        m_thumbnails.withoutIcon.append(urls.last().toLocalFile());
    }
    twenty.setUrls(urls);
    ASSERT_TRUE(m_shelf->add(twenty));
    QQuickItem* strip = item("shelfStrip");
    QMetaObject::invokeMethod(strip, "positionViewAtEnd");
    const qreal end = strip->property("contentX").toReal();
    ASSERT_GT(end, 0);
    const QList<QQuickItem*> strung = all(QStringLiteral("shelfTile"));
    const auto last
        = std::find_if(strung.begin(), strung.end(), [](QQuickItem* t) { return t->property("name") == "file 20.txt"; });
    ASSERT_NE(last, strung.end());
    const QPointer<QQuickItem> hovered = *last;
    QTest::mouseMove(m_view.get(), sceneRect(hovered).center().toPoint());
    QQuickItem* mouse = find(hovered, QStringLiteral("shelfTileMouse"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return mouse->property("containsMouse").toBool(); }, 2000));
    // The same delegate, where it was, still under the pointer.
    const auto kept = [&] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return hovered && strip->property("contentX").toReal() == end && mouse->property("containsMouse").toBool();
    };
    m_thumbnails.answer(path(QStringLiteral("file 20.txt")), TestImages::filled(QSize(60, 60), Qt::green));
    EXPECT_TRUE(find(hovered, QStringLiteral("shelfPreview"))->property("hasImage").toBool());
    m_sharing.reachable = { { QStringLiteral("p"), QStringLiteral("Phone") }, { QStringLiteral("t"), QStringLiteral("Tablet") } };
    Q_EMIT m_sharing.availabilityChanged();
    EXPECT_TRUE(item("sendAllButton")->isVisible());
    QMimeData drop;
    drop.setUrls({ QUrl::fromLocalFile(writeFile(QStringLiteral("new.txt"), {})) });
    ASSERT_TRUE(m_shelf->add(drop));
    EXPECT_TRUE(kept());

    // With two devices "Send All to Device" asks which; the choice takes every file.
    click(item("sendAllButton"));
    QList<QQuickItem*> entries;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            entries = all(QStringLiteral("deviceEntry"));
            return entries.size() == 2 && entries[1]->isVisible() && sceneRect(entries[0]).y() != sceneRect(entries[1]).y();
        },
        2000));
    EXPECT_EQ(textOf(entries[1]), QStringLiteral("Tablet"));
    click(entries[1]);
    ASSERT_EQ(m_sharing.sent.size(), 1);
    EXPECT_EQ(m_sharing.sent[0].first, QStringLiteral("t"));
    EXPECT_EQ(m_sharing.sent[0].second.size(), 21);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !entries[1]->isVisible(); }, 2000)) << "the menu closes";
}

TEST_F(IslandScreenshotTest, ALiveActivityShowsBesideTheNotchAndInItsTabWithItsButtons)
{
    // A download at a quarter, then a five-minute tea timer in orange with a Stop button.
    FakeActivityHost host;
    ActivityService service(host, m_clock, m_clock);
    host.start(QStringLiteral(":1.4"), QStringLiteral("Download"),
        { { QStringLiteral("progress"), 0.25 }, { QStringLiteral("symbol"), QStringLiteral("arrow.down.to.line") } });
    const quint32 timer = host.start(QStringLiteral(":1.4"), QStringLiteral("Tea"),
                                  { { QStringLiteral("subtitle"), QStringLiteral("Green, 80 °C") },
                                      { QStringLiteral("endsAt"), m_clock.now().toMSecsSinceEpoch() + 5 * 60'000 },
                                      { QStringLiteral("symbol"), QStringLiteral("timer") },
                                      { QStringLiteral("accent"), QStringLiteral("#ff9f0a") },
                                      { QStringLiteral("actions"), QStringList { QStringLiteral("Stop") } } })
                              .id;
    setFeatures({ .activities = &service });
    m_model.setCompactActivity(IslandCompactActivity::liveActivity);
    show(notch(IslandCompactActivity::liveActivity), false);
    shoot(QStringLiteral("closed-notch-activity"));
    // Its symbol left and its countdown right of the notch, instead of the clock.
    EXPECT_TRUE(QTest::qWaitFor([&] { return shownWithin("activityValueText", QRectF(262, 0, 45, 32)); }, 3000))
        << sceneRect(item("activityValueText")).x();
    EXPECT_EQ(text("activityValueText"), QStringLiteral("5:00"));
    EXPECT_TRUE(shownWithin("activitySymbolSlot", QRectF(18, 0, 44, 32)));
    EXPECT_FALSE(item("clockSlot")->isVisible());

    // The tab lists the newest first, the progress under the download's title.
    m_model.setCompactActivity(IslandCompactActivity::status);
    m_model.setAvailableTabs({ IslandTab::activities });
    show(pill(), true);
    shoot(QStringLiteral("open-activities"));
    const QList<QQuickItem*> titles = all(QStringLiteral("activityTitle"));
    ASSERT_EQ(titles.size(), 2);
    EXPECT_EQ(textOf(titles[0]), QStringLiteral("Tea"));
    EXPECT_EQ(textOf(titles[1]), QStringLiteral("Download"));
    const QList<QQuickItem*> bars = all(QStringLiteral("activityProgress"));
    const auto shownBar = std::find_if(bars.begin(), bars.end(), [](QQuickItem* i) { return i->isVisible(); });
    ASSERT_NE(shownBar, bars.end());
    EXPECT_NEAR(sceneRect(*shownBar).y(), sceneRect(titles[1]).bottom() + 3, 1);
    const QList<QQuickItem*> buttons = all(QStringLiteral("activityAction"));
    ASSERT_EQ(buttons.size(), 1);
    EXPECT_EQ(textOf(buttons[0]), QStringLiteral("Stop"));
    click(buttons[0]);
    EXPECT_EQ(host.actions, (QList<std::pair<quint32, QString>> { { timer, QStringLiteral("Stop") } }));
    // Its close button ends it as the user's choice.
    click(all(QStringLiteral("activityClose")).first());
    ASSERT_FALSE(host.ended.isEmpty());
    EXPECT_EQ(host.ended.last(), std::pair(timer, ActivityEndReason::byUser));
    EXPECT_TRUE(QTest::qWaitFor([&] { return all(QStringLiteral("activityTitle")).size() == 1; }, 2000));
    m_view.reset(); // before the service it shows
}
