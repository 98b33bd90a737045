#include "Appcast.h"
#include "FakeLoginItem.h"
#include "FakeScreenSource.h"
#include "FakeUpdateFramework.h"
#include "LaunchAtLoginService.h"
#include "LogCapture.h"
#include "ScreenService.h"
#include "SettingsStore.h"
#include "SettingsViewLogic.h"
#include "TempDir.h"
#include "TrayController.h"
#include "UpdaterService.h"
#include "UserDefaults.h"
#include "XdgAutostartLoginItem.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

// The shell's logic: the update feed and appcast, the autostart entry, the
// tray menu and the settings window's remembered pane and display choices.

TEST(UpdaterTest, StartsOnlyWithAnHttpsFeedAndMirrorsWhetherACheckCanStart)
{
    EXPECT_EQ(
        UpdaterService::feedURL("  https://updates.example.org/appcast.xml\n"), QUrl("https://updates.example.org/appcast.xml"));
    for (const char* bad : { "http://updates.example.org/appcast.xml", "https:///appcast.xml", "HTTPS-ish", "" })
        EXPECT_FALSE(UpdaterService::feedURL(QLatin1String(bad))) << bad;

    LogCapture log;
    FakeUpdateFramework framework;
    UpdaterService none(framework, {});
    none.start();
    EXPECT_FALSE(none.isAvailable());
    EXPECT_FALSE(none.canCheckForUpdates());
    EXPECT_TRUE(log.contains("Updates disabled: no SUFeedURL configured"));
    none.checkForUpdates();
    EXPECT_EQ(framework.checks, 0);

    const BuildInfo info { {}, {}, "https://updates.example.org/appcast.xml" };
    framework.startFailure = "no network";
    UpdaterService failing(framework, info);
    failing.start();
    EXPECT_FALSE(failing.isAvailable());
    EXPECT_TRUE(log.contains("Unable to start updater: no network"));

    framework.startFailure.reset();
    UpdaterService updater(framework, info);
    updater.start();
    EXPECT_TRUE(updater.isAvailable());
    EXPECT_TRUE(updater.canCheckForUpdates());
    framework.setCanCheck(false);
    EXPECT_FALSE(updater.canCheckForUpdates());
    updater.checkForUpdates();
    EXPECT_EQ(framework.checks, 1);

    // A packaged build reads no feed, even one it was built with.
    FakeUpdateFramework untouched;
    BuildInfo packagedInfo = info;
    packagedInfo.packaged = true;
    UpdaterService packaged(untouched, packagedInfo);
    packaged.start();
    EXPECT_TRUE(packaged.isPackaged());
    EXPECT_FALSE(packaged.isAvailable());
    EXPECT_FALSE(untouched.startedWith);
    EXPECT_TRUE(log.contains("Updates come from the package manager; the update feed is not read"));
}

TEST(AppcastTest, OffersOnlyANewerVersionByItsNumbersAndSkipsBadItems)
{
    const QByteArray feed = R"(<?xml version="1.0"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
 <channel>
  <item><title>1.9</title><sparkle:version>19</sparkle:version>
   <enclosure url="https://example.org/b-19.tar.gz" sparkle:shortVersionString="1.9"/></item>
  <item><title>1.10</title>
   <sparkle:releaseNotesLink>https://example.org/notes/1.10</sparkle:releaseNotesLink>
   <enclosure url="https://example.org/b-110.tar.gz" sparkle:version="110" sparkle:shortVersionString="1.10"/></item>
  <item><title>No version</title><enclosure url="https://example.org/x.tar.gz"/></item>
  <item><title>Plain http</title><sparkle:version>999</sparkle:version><enclosure url="http://example.org/y.tar.gz"/></item>
 </channel>
</rss>)";
    LogCapture log;
    const auto items = Appcast::parse(feed);
    ASSERT_TRUE(items);
    ASSERT_EQ(items->size(), 2);
    EXPECT_TRUE(log.mentions("has no version"));
    EXPECT_TRUE(log.mentions("has no https download"));

    const auto newer = Appcast::newestNewerThan(*items, "109");
    ASSERT_TRUE(newer);
    EXPECT_EQ(newer->shortVersion, "1.10");
    EXPECT_EQ(newer->releaseNotesURL, QUrl("https://example.org/notes/1.10"));
    EXPECT_FALSE(Appcast::newestNewerThan(*items, "110")); // same
    EXPECT_FALSE(Appcast::newestNewerThan(*items, "111")); // older

    QString error;
    EXPECT_FALSE(Appcast::parse("<rss><channel><item>", &error) || error.isEmpty());
    EXPECT_FALSE(Appcast::parse("<html><body/></html>", &error));
    EXPECT_EQ(error, "not an RSS document");

    // Versions compare by their numbers.
    EXPECT_GT(Appcast::compareVersions("1.10", "1.9"), 0);
    EXPECT_EQ(Appcast::compareVersions("2", "2.0"), 0);
    EXPECT_LT(Appcast::compareVersions("1.0beta", "1.0.1"), 0);
    EXPECT_GT(Appcast::compareVersions("100000000000000000001", "99999999999999999999"), 0);
}

class AutostartTest : public TempDirTest {
protected:
    QString folder() const { return path("autostart"); }
    QString program() const { return QCoreApplication::applicationFilePath(); }
    XdgAutostartLoginItem item() const { return XdgAutostartLoginItem(folder(), program(), "com.larkmoor.Brimwell"); }
    void writeEntry(const QByteArray& text) { writeFile("autostart/com.larkmoor.Brimwell.desktop", text); }
};

TEST_F(AutostartTest, StatusComesFromTheEntryWhichEnablingWritesOrReportsWhyNot)
{
    EXPECT_EQ(item().status(), LoginItemStatus::notRegistered); // absent
    writeEntry(XdgAutostartLoginItem::entryText(program()));
    EXPECT_EQ(item().status(), LoginItemStatus::enabled);
    writeEntry("[Desktop Entry]\nExec=/opt/gone/bin/brimwell\n"); // stale Exec
    EXPECT_EQ(item().status(), LoginItemStatus::notFound);
    writeEntry("[Desktop Entry]\nExec=/bin/sh\n"); // another program under our name
    EXPECT_EQ(item().status(), LoginItemStatus::notRegistered);
    writeEntry(XdgAutostartLoginItem::entryText(program()) + "Hidden=true\n");
    EXPECT_EQ(item().status(), LoginItemStatus::notRegistered);
    // A path with a space is quoted in Exec and read back.
    EXPECT_EQ(XdgAutostartLoginItem::statusOfEntry(XdgAutostartLoginItem::entryText("/no such/brimwell"), "/no such/brimwell"),
        LoginItemStatus::notFound);

    // Enabling writes the entry, making its folder; an unwritable folder is reported.
    QDir(folder()).removeRecursively();
    LogCapture log;
    XdgAutostartLoginItem entry = item();
    LaunchAtLoginService service(entry);
    EXPECT_FALSE(service.setEnabled(true));
    EXPECT_TRUE(service.isEnabled());
    EXPECT_TRUE(log.contains("Launch at login set to 1, status 1"));
    EXPECT_FALSE(service.setEnabled(false));
    EXPECT_EQ(service.status(), LoginItemStatus::notRegistered);
    EXPECT_FALSE(QFile::exists(entry.entryPath()));

    // A file where the folder should be: no entry can be written there, even by root.
    QDir(folder()).removeRecursively();
    QFile blocker(folder());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_EQ(service.status(), LoginItemStatus::notRegistered);
    const auto error = service.setEnabled(true);
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->contains(folder())) << qPrintable(*error);
    EXPECT_EQ(service.status(), LoginItemStatus::notRegistered);
}

TEST(TrayTest, MenuHoldsItsThreeEntriesAndFollowsTheLoginItem)
{
    FakeLoginItem loginItem;
    LaunchAtLoginService service(loginItem);
    int opened = 0;
    int quits = 0;
    QStringList alerts;
    TrayController tray(
        service, [&] { ++opened; }, [&] { ++quits; });
    tray.setAlert([&](const QString& title, const QString& message) { alerts << title + QLatin1Char('|') + message; });

    const QList<QAction*> actions = tray.actions();
    ASSERT_EQ(actions.size(), 4);
    QStringList menu;
    for (const QAction* action : actions)
        menu << action->text() + QLatin1Char('|') + action->shortcut().toString();
    EXPECT_EQ(menu.join(u';').toStdString(), "Settings…|Ctrl+,;Launch at Login|;|;Quit Brimwell|Ctrl+Q");
    EXPECT_TRUE(actions[2]->isSeparator());
    actions[0]->trigger();
    actions[3]->trigger();
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(quits, 1);

    // Enabled from outside: seen when the menu opens.
    EXPECT_FALSE(tray.launchAtLoginAction()->isChecked());
    loginItem.current = LoginItemStatus::enabled;
    tray.menuNeedsUpdate();
    EXPECT_TRUE(tray.launchAtLoginAction()->isChecked());
    tray.launchAtLoginAction()->trigger();
    EXPECT_FALSE(tray.launchAtLoginAction()->isChecked());

    loginItem.failure = "The disk is full.";
    tray.launchAtLoginAction()->trigger();
    EXPECT_EQ(alerts, QStringList { "Couldn’t change Launch at Login|The disk is full." });
    EXPECT_FALSE(tray.launchAtLoginAction()->isChecked());
}

TEST_F(AutostartTest, SettingsWindowRemembersItsPaneAndKeepsADisconnectedDisplay)
{
    UserDefaults defaults(path("settings.ini"));
    SettingsStore settings(defaults);
    FakeScreenSource source({ PlatformScreen { "DP-1", "Dell U2720Q", "A", QRect(0, 0, 1280, 800), QRect(0, 0, 1280, 800) } });
    ScreenService screens(source);
    {
        SettingsViewLogic logic(settings, screens, defaults);
        EXPECT_EQ(logic.selectedPane(), SettingsPane::general);
        logic.setSelectedPane(SettingsPane::calendar);
    }
    defaults.sync();
    EXPECT_EQ(SettingsViewLogic(settings, screens, defaults).selectedPane(), SettingsPane::calendar);
    defaults.setString(SettingsViewLogic::selectedPaneKey(), "privacy");
    EXPECT_EQ(SettingsViewLogic(settings, screens, defaults).selectedPane(), SettingsPane::general);

    SettingsViewLogic logic(settings, screens, defaults);
    settings.setPreferredDisplayID("unplugged");
    const auto labels = [&] {
        QStringList out;
        for (const SettingsDisplayChoice& choice : logic.displayChoices())
            out << choice.label;
        return out;
    };
    EXPECT_EQ(labels(), (QStringList { "Automatic", "Dell U2720Q", "Disconnected display" }));
    EXPECT_EQ(logic.displayChoiceIndex(), 2);
    logic.chooseDisplay(0);
    EXPECT_FALSE(settings.preferredDisplayID());
    EXPECT_EQ(labels().size(), 2);
}
