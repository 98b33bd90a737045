#include "AppDelegate.h"
#include "CalendarService.h"
#include "FakeAudioHardware.h"
#include "FakeCalendarStore.h"
#include "FakeDisplayBrightness.h"
#include "FakeInstanceGuard.h"
#include "FakeIslandPanel.h"
#include "FakeLoginItem.h"
#include "FakeMediaKeyGrabber.h"
#include "FakePointerState.h"
#include "FakeScreenSource.h"
#include "FakeTrayHost.h"
#include "FakeUpdateFramework.h"
#include "HUDController.h"
#include "LaunchAtLoginService.h"
#include "LinuxWording.h"
#include "NowPlayingRig.h"
#include "ScreenService.h"
#include "SettingsStore.h"
#include "SettingsViewLogic.h"
#include "SettingsWindowController.h"
#include "TempDir.h"
#include "TestScreens.h"
#include "TrayController.h"
#include "UpdaterService.h"
#include "UserDefaults.h"
#include "ViewProbe.h"

#include <QQuickItem>
#include <QQuickView>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

// The settings window in a real X window: made once and reused, each pane
// drawn (kept under screenshots/ for a person to look at), and a switch
// flipped by a click reaching settings.ini at once.
namespace {

class SettingsWindowTest : public TempDirTest {
protected:
    QQuickItem* item(const QString& name) { return ViewProbe::find(m_controller.window()->rootObject(), name); }
    /// Shows `controller`'s window on `pane`; a finder of its items.
    static auto open(SettingsWindowController& controller, SettingsPane pane)
    {
        controller.logic().setSelectedPane(pane);
        controller.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(controller.window()));
        return [&controller](const QString& name) { return ViewProbe::find(controller.window()->rootObject(), name); };
    }
    void click(QQuickItem* target, QQuickView* window = nullptr)
    {
        ASSERT_NE(target, nullptr);
        window = window ? window : m_controller.window();
        QPointF centre = target->mapToScene(QPointF(target->width() / 2, target->height() / 2));
        // Below the window: the pane is scrolled to it first, as a user would.
        const int height = window->height();
        for (QQuickItem* form = target->parentItem(); form && centre.y() > height; form = form->parentItem()) {
            if (form->property("contentY").isValid()) {
                form->setProperty("contentY", form->property("contentY").toReal() + centre.y() - height / 2);
                centre = target->mapToScene(QPointF(target->width() / 2, target->height() / 2));
            }
        }
        QTest::mouseClick(window, Qt::LeftButton, {}, centre.toPoint());
    }

    UserDefaults m_defaults { path("settings.ini") };
    SettingsStore m_settings { m_defaults };
    FakeScreenSource m_source { { TestScreens::plain("Built-in Display", QRect(0, 0, 1280, 800)),
        TestScreens::plain("DELL U2720Q", QRect(1280, 0, 1920, 1080)) } };
    ScreenService m_screens { m_source };
    FakeLoginItem m_loginItem;
    LaunchAtLoginService m_launchAtLogin { m_loginItem };
    FakeUpdateFramework m_framework;
    UpdaterService m_updater { m_framework, {} };
    FakeAudioHardware m_audio;
    FakeDisplayBrightness m_display;
    FakeMediaKeyGrabber m_keys;
    HUDController m_hud { m_settings, m_audio, m_display, m_keys };
    FakeCalendarStore m_calendarStore;
    CalendarService m_calendarService { m_calendarStore, m_defaults };
    int m_quits = 0;
    SettingsWindowController m_controller { m_settings, m_screens, m_launchAtLogin,
        SettingsWindowController::Services { &m_calendarService, nullptr, nullptr, &m_hud }, m_updater, m_defaults,
        [this] { ++m_quits; } };
};

} // namespace

TEST_F(SettingsWindowTest, OneWindowShowsEveryPaneAndSaysWhereTheDesktopTakesTheKeys)
{
    m_settings.setReplaceSystemHUD(true);
    m_settings.setExpandedBackgroundStyle(IslandBackgroundStyle::glass);
    m_controller.show();
    QQuickView* window = m_controller.window();
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(window->status(), QQuickView::Ready) << qPrintable(ViewProbe::errors(*window));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));

    // Each pane, chosen in the sidebar, shows its first row with its title,
    // inside the window and right of the sidebar; the others' rows are hidden.
    struct Pane {
        SettingsPane pane;
        const char* name;
        const char* firstRow;
        const char* title;
    };
    const Pane panes[] = { { SettingsPane::general, "general", "launchAtLogin", "Launch at login" },
        { SettingsPane::hud, "hud", "showVolumeHUD", "Volume" },
        { SettingsPane::nowPlaying, "nowPlaying", "showNowPlaying", "Now Playing" },
        { SettingsPane::calendar, "calendar", "showCalendar", "Calendar" },
        { SettingsPane::quickDrop, "quickDrop", "showShelf", "Shelf" }, { SettingsPane::about, "about", "versionText", "" } };
    for (const Pane& pane : panes) {
        QQuickItem* sidebarRow = item(QStringLiteral("sidebarRow_%1").arg(int(pane.pane)));
        ASSERT_NE(sidebarRow, nullptr) << pane.name;
        click(sidebarRow);
        EXPECT_EQ(m_controller.logic().selectedPane(), pane.pane);
        EXPECT_EQ(item("paneTitle")->property("text").toString(), sidebarRow->property("title").toString());
        EXPECT_EQ(sidebarRow->property("title").toString(), QString::fromUtf8(settingsPaneInfo(pane.pane).title));
        ViewProbe::shoot(*window, QStringLiteral("settings-%1").arg(QLatin1String(pane.name)));
        for (const Pane& other : panes) {
            QQuickItem* row = item(other.firstRow);
            ASSERT_NE(row, nullptr) << other.firstRow;
            EXPECT_EQ(row->isVisible(), &other == &pane) << pane.name << " shows " << other.firstRow;
        }
        QQuickItem* row = item(pane.firstRow);
        const QRectF at = row->mapRectToScene(row->boundingRect());
        EXPECT_TRUE(QRectF(QPointF(0, 0), window->size()).contains(at)) << pane.name;
        EXPECT_GT(at.left(), sidebarRow->mapRectToScene(QRectF()).right()) << pane.name;
        if (*pane.title)
            EXPECT_TRUE(row->property("title").toString().startsWith(QLatin1String(pane.title))) << pane.name;
        else
            EXPECT_FALSE(row->property("text").toString().isEmpty());
    }
    EXPECT_EQ(item("updatesUnavailable")->property("visible").toBool(), true);
    EXPECT_FALSE(item("checkForUpdates")->property("enabled").toBool());
    EXPECT_FALSE(item("updatesFromPackageManager")->isVisible());
    EXPECT_FALSE(item("noTrayHost")->isVisible()) << "no host known: no note";
    click(item("quit"));
    EXPECT_EQ(m_quits, 1);
    window->close();

    // Where only the desktop takes keys, the HUD pane says so and offers no replacing.
    const std::function<bool(QQuickItem*, const QString&)> shows = [&](QQuickItem* from, const QString& text) {
        if (from->isVisible() && from->property("text").toString() == text)
            return true;
        const QList<QQuickItem*> children = from->childItems();
        return std::any_of(children.begin(), children.end(), [&](QQuickItem* child) { return shows(child, text); });
    };
    for (const bool wayland : { false, true }) {
        SCOPED_TRACE(wayland ? "Wayland" : "X11");
        m_keys.waylandLike = wayland;
        // Fixed for a session; flipped here, so the pane is told.
        Q_EMIT m_controller.logic().servicesChanged();
        const auto find = open(m_controller, SettingsPane::hud);
        QQuickItem* replace = find("replaceSystemHUD");
        ASSERT_NE(replace, nullptr);
        EXPECT_EQ(replace->isEnabled(), !wayland);
        EXPECT_EQ(replace->property("checked").toBool(), !wayland);
        EXPECT_EQ(find("keyCapture")->isVisible(), !wayland);
        EXPECT_EQ(shows(m_controller.window()->rootObject(), LinuxWording::keysHeldByDesktopFooter()), wayland);
        m_controller.window()->close();
    }
    EXPECT_TRUE(m_settings.replaceSystemHUD()) << "the stored choice is kept for an X11 session";
}

TEST_F(SettingsWindowTest, SwitchesAndPickersOfTheGeneralPaneWriteTheirSettingsAtOnce)
{
    open(m_controller, SettingsPane::general);

    click(item("showClockSwitch"));
    EXPECT_FALSE(m_settings.showClock());
    QCoreApplication::processEvents(); // the defaults write at the end of the turn
    UserDefaults reread(path("settings.ini"));
    EXPECT_FALSE(SettingsStore(reread).showClock());

    // Both switches off grey out "Always show in notch".
    click(item("showBatterySwitch"));
    EXPECT_FALSE(item("showStatusInCompactSwitch")->isEnabled());

    QQuickItem* picker = item("displayPicker");
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->property("count").toInt(), 3); // automatic and the two screens
    m_controller.logic().chooseDisplay(2);
    EXPECT_EQ(m_settings.preferredDisplayID(), "UUID-DELL U2720Q");
    EXPECT_EQ(picker->property("currentText").toString(), "DELL U2720Q");
    m_controller.logic().chooseDisplay(0);
    EXPECT_FALSE(m_settings.preferredDisplayID());

    const auto choose = [](QQuickItem* combo, int index) {
        ASSERT_NE(combo, nullptr);
        QMetaObject::invokeMethod(combo, "activated", Q_ARG(int, index));
    };
    EXPECT_EQ(item("positionPicker")->property("currentText").toString(), "Automatic");
    choose(item("positionPicker"), 2);
    EXPECT_EQ(m_settings.islandPosition(), IslandPosition::belowTopPanel);
    QCoreApplication::processEvents();
    EXPECT_TRUE(QSettings(path("settings.ini"), QSettings::IniFormat).value("islandPosition") == "belowTopPanel");
    EXPECT_EQ(item("positionPicker")->property("currentText").toString(), "Below the top panel");

    // The island's display (the first one, back on automatic), no notch, then one of its size.
    EXPECT_EQ(item("notchDisplayName")->property("text").toString(), "Built-in Display");
    EXPECT_EQ(item("notchPicker")->property("currentText").toString(), "None");
    EXPECT_FALSE(item("notchWidth")->isVisible());
    choose(item("notchPicker"), 1);
    ASSERT_TRUE(m_screens.screen(std::nullopt)->topInset > 0);
    EXPECT_TRUE(m_screens.displays()[0].hasNotch);
    EXPECT_TRUE(item("notchWidth")->isVisible());
    item("notchWidth")->setProperty("value", 185);
    QMetaObject::invokeMethod(item("notchWidth"), "valueModified");
    EXPECT_EQ(ScreenService::notchFrame(*m_screens.screen(std::nullopt))->size(), QSizeF(185, 32));
    ViewProbe::shoot(*m_controller.window(), "settings-general-notch");
    choose(item("notchPicker"), 0);
    EXPECT_FALSE(m_screens.displays()[0].hasNotch);
    EXPECT_EQ(item("notchPicker")->property("currentText").toString(), "None");
}

TEST_F(SettingsWindowTest, ANoteSaysWhenNoTrayShowsTheIconAndAPackagedBuildHasNoUpdateControls)
{
    m_settings.setShowTrayIcon(true);
    FakeTrayHost tray;
    FakeUpdateFramework framework;
    UpdaterService packaged(framework, BuildInfo { {}, {}, {}, true });
    SettingsWindowController controller(m_settings, m_screens, m_launchAtLogin,
        SettingsWindowController::Services { nullptr, nullptr, nullptr, nullptr, nullptr, &tray }, packaged, m_defaults, {});
    const auto find = open(controller, SettingsPane::general);

    QQuickItem* note = find("noTrayHost");
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(note->isVisible());
    EXPECT_EQ(note->property("text").toString(), "This desktop shows no tray icons.");
    EXPECT_TRUE(find("showTrayIconSwitch")->property("checked").toBool()) << "the setting keeps its value";
    tray.setAvailable(true);
    EXPECT_FALSE(note->isVisible());

    controller.logic().setSelectedPane(SettingsPane::about);
    QQuickItem* packagedNote = find("updatesFromPackageManager");
    ASSERT_NE(packagedNote, nullptr);
    EXPECT_TRUE(packagedNote->isVisible());
    EXPECT_EQ(packagedNote->property("text").toString(), "Updates come from your package manager.");
    for (const char* hidden : { "automaticallyChecksForUpdates", "checkForUpdates", "updatesUnavailable" })
        EXPECT_FALSE(find(QLatin1String(hidden))->isVisible()) << hidden;
}

TEST_F(SettingsWindowTest, PlayerRowsListThePlayersSeenAndStoreTheChoiceAtOnce)
{
    NowPlayingRig rig;
    rig.build(Clock::system());
    rig.players.names = { "mpv", "vlc" };
    m_settings.setIgnoredPlayers({ "spotify" }); // stored, not running
    rig.service->start();
    rig.players.show(MediaPlayerState { .player = "vlc", .title = "Song", .isPlaying = true });
    SettingsWindowController controller(m_settings, m_screens, m_launchAtLogin,
        SettingsWindowController::Services { nullptr, nullptr, rig.service.get(), nullptr }, m_updater, m_defaults, {});
    const auto find = open(controller, SettingsPane::nowPlaying);

    EXPECT_EQ(find("nowPlayingSource")->property("text").toString(), "vlc");
    QQuickItem* picker = find("playerPicker");
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->property("currentText").toString(), "Automatic");
    QMetaObject::invokeMethod(picker, "activated", Q_ARG(int, 2));
    EXPECT_EQ(m_settings.preferredPlayer(), "vlc");
    EXPECT_EQ(picker->property("currentText").toString(), "vlc");

    // "Never show": every player seen and every one already ignored, each a switch.
    for (const char* name : { "mpv", "spotify", "vlc" }) {
        QQuickItem* ignore = find(QStringLiteral("ignore_%1Switch").arg(QLatin1String(name)));
        ASSERT_NE(ignore, nullptr) << name;
        EXPECT_EQ(ignore->property("checked").toBool(), qstrcmp(name, "spotify") == 0) << name;
    }
    click(find("ignore_mpvSwitch"), controller.window());
    EXPECT_TRUE(find("ignore_mpvSwitch")->property("checked").toBool());
    ViewProbe::shoot(*controller.window(), "settings-nowPlaying-players");
    EXPECT_EQ(m_settings.ignoredPlayers(), (QStringList { "spotify", "mpv" }));
    click(find("ignore_spotifySwitch"), controller.window());
    QCoreApplication::processEvents();
    UserDefaults reread(path("settings.ini"));
    const SettingsStore stored(reread);
    EXPECT_EQ(stored.ignoredPlayers(), QStringList { "mpv" }); // a list of one survives the INI file
    EXPECT_EQ(stored.preferredPlayer(), "vlc");

    // Back to automatic: the key goes, it is not stored empty.
    QMetaObject::invokeMethod(picker, "activated", Q_ARG(int, 0));
    QCoreApplication::processEvents();
    EXPECT_FALSE(QSettings(path("settings.ini"), QSettings::IniFormat).contains("preferredPlayer"));
    rig.service->stop();
}

// In the whole program: the island's gear, a reopen and the calendar's
// privacy link all reach the one window.
TEST_F(TempDirTest, TheGearAReopenAndTheCalendarsPrivacyLinkOpenTheOneSettingsWindow)
{
    UserDefaults defaults(path("settings.ini"));
    FakeInstanceGuard guard;
    FakeScreenSource screens({ TestScreens::plain("Built-in Display", QRect(0, 0, 1280, 800)) });
    FakePointerState pointer;
    const IslandPlatform island { &screens, &pointer, [] { return std::make_unique<FakeIslandPanel>(); } };
    FakeLoginItem loginItem;
    FakeUpdateFramework updates;
    FakeCalendarStore store;
    FeatureFactories factories;
    factories.calendar = [&] { return std::make_unique<CalendarService>(store, defaults); };
    AppDelegate delegate(defaults, guard, island, factories, ShellPlatform { &loginItem, &updates });
    ASSERT_TRUE(delegate.started());
    SettingsWindowController* settingsWindow = delegate.settingsWindowController();
    ASSERT_NE(settingsWindow, nullptr);
    EXPECT_EQ(settingsWindow->window(), nullptr) << "made on first use";

    delegate.actions().openSettings(); // the island's gear
    QQuickView* window = settingsWindow->window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    window->close();
    guard.simulateReopenFromLaterLaunch();
    EXPECT_EQ(settingsWindow->window(), window);
    EXPECT_TRUE(window->isVisible());

    delegate.features().calendar->openPrivacySettings();
    EXPECT_EQ(settingsWindow->logic().selectedPane(), SettingsPane::calendar);

    EXPECT_FALSE(delegate.trayController()->isVisible());
    delegate.settings().setShowTrayIcon(true);
    EXPECT_TRUE(delegate.trayController()->isVisible());
}
