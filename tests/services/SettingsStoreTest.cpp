#include "SettingsStore.h"
#include "LogCapture.h"
#include "TempDir.h"
#include "UserDefaults.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSettings>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {
class SettingsStoreTest : public TempDirTest {
protected:
    QString file() const { return path(QStringLiteral("settings.ini")); }
    void store(const QString& key, const QVariant& value)
    {
        QSettings raw(file(), QSettings::IniFormat);
        raw.setValue(key, value);
    }
    /// The file's bytes: what another process would read.
    QByteArray contents(const QString& name = QStringLiteral("settings.ini")) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};
} // namespace

TEST_F(SettingsStoreTest, OutOfRangeAndWrongTypedValuesAreClampedOrReadAsZero)
{
    // Each bound: just outside, at, just inside. hoverDelay and glassGlow
    // share 0…1, hudDuration has 0.5…4.
    struct Case {
        QVariant stored;
        double hover, hud;
    };
    const Case cases[] = { { -0.01, 0.0, 0.5 }, { 0.0, 0.0, 0.5 }, { 0.01, 0.01, 0.5 }, { 0.49, 0.49, 0.5 }, { 0.5, 0.5, 0.5 },
        { 0.51, 0.51, 0.51 }, { 0.99, 0.99, 0.99 }, { 1.0, 1.0, 1.0 }, { 1.01, 1.0, 1.01 }, { 3.99, 1.0, 3.99 },
        { 4.0, 1.0, 4.0 }, { 4.01, 1.0, 4.0 }, { QStringLiteral("soon"), 0.0, 0.5 }, { QStringLiteral("nan"), 0.0, 0.5 },
        { QStringLiteral("inf"), 0.0, 0.5 } };
    for (const Case& c : cases) {
        for (const char* key : { "hoverDelay", "hudDuration", "glassGlow" })
            store(QLatin1String(key), c.stored);
        UserDefaults defaults(file());
        SettingsStore s(defaults);
        SCOPED_TRACE(c.stored.toString().toStdString());
        EXPECT_DOUBLE_EQ(s.hoverDelay(), c.hover);
        EXPECT_DOUBLE_EQ(s.glassGlow(), c.hover);
        EXPECT_DOUBLE_EQ(s.hudDuration(), c.hud);
    }
}

TEST_F(SettingsStoreTest, AFreshUserGetsTheDefaultsAndChangesAreWrittenOncePerTurn)
{
    {
        UserDefaults defaults(file());
        SettingsStore s(defaults);
        // Taking over the system's media keys and a tray icon are the user's choice.
        EXPECT_EQ(std::tuple(s.replaceSystemHUD(), s.showTrayIcon(), s.preferredDisplayID(), s.islandPosition()),
            std::tuple(false, false, std::nullopt, IslandPosition::automatic));
        QCoreApplication::processEvents();
        EXPECT_FALSE(QFile::exists(file()));
        QSignalSpy glowSpy(&s, &SettingsStore::glassGlowChanged);
        s.setGlassGlow(0.35);
        s.setGlassGlow(0.35);
        EXPECT_EQ(glowSpy.count(), 1);
        s.setShowClock(false);
        s.setExpandedBackgroundStyle(IslandBackgroundStyle::glass);
        s.setPreferredDisplayID(QStringLiteral("ABC"));
        s.setIslandPosition(IslandPosition::belowTopPanel);
        // A slider dragged through many values within one turn: one write, at its end.
        for (int step = 1; step <= 50; ++step)
            s.setHoverDelay(step / 100.0);
        EXPECT_FALSE(QFile::exists(file()));
        QCoreApplication::processEvents();
        const QByteArray onDisk = contents();
        for (const char* line :
            { "glassGlow=0.35", "preferredDisplayID=ABC", "hoverDelay=0.5\n", "islandPosition=belowTopPanel" })
            EXPECT_TRUE(onDisk.contains(line)) << onDisk.constData();

        // A change the turn did not end for is written when the defaults go (at quit).
        s.setShowShelf(false);
    }
    EXPECT_TRUE(contents().contains("showShelf=false"));
    UserDefaults defaults(file());
    SettingsStore s(defaults);
    EXPECT_EQ(std::tuple(s.glassGlow(), s.showClock(), s.expandedBackgroundStyle(), s.preferredDisplayID(), s.islandPosition()),
        std::tuple(0.35, false, IslandBackgroundStyle::glass, QStringLiteral("ABC"), IslandPosition::belowTopPanel));

    s.setPreferredDisplayID(std::nullopt);
    QCoreApplication::processEvents();
    EXPECT_FALSE(contents().contains("preferredDisplayID"));
}

TEST_F(SettingsStoreTest, AFailedWriteIsLoggedAndItsChangeWrittenLater)
{
    // The config folder cannot be made: its place is taken by a plain file.
    QFile blocker(path(QStringLiteral("config")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString settingsFile = path(QStringLiteral("config/settings.ini"));

    LogCapture log;
    UserDefaults defaults(settingsFile);
    SettingsStore s(defaults);
    s.setShowClock(false);
    QCoreApplication::processEvents();
    ASSERT_EQ(log.entries.size(), 1u);
    EXPECT_EQ(log.entries[0].level, Log::Level::error);
    EXPECT_EQ(log.entries[0].category, QStringLiteral("App"));
    EXPECT_TRUE(log.entries[0].message.startsWith(QStringLiteral("Unable to write the settings file ") + settingsFile))
        << qPrintable(log.entries[0].message);
    s.setShowShelf(false);
    QCoreApplication::processEvents();
    EXPECT_EQ(log.entries.size(), 1u); // one line while it keeps failing
    EXPECT_FALSE(s.showClock());

    // Once the folder can be made, the next write carries the earlier changes too.
    ASSERT_TRUE(blocker.remove());
    s.setGlassGlow(0.25);
    QCoreApplication::processEvents();
    const QByteArray onDisk = contents(QStringLiteral("config/settings.ini"));
    for (const char* line : { "showClock=false", "showShelf=false", "glassGlow=0.25" })
        EXPECT_TRUE(onDisk.contains(line)) << onDisk.constData();
    EXPECT_EQ(log.entries.back().level, Log::Level::info);
}

TEST_F(SettingsStoreTest, AWriteCutShortByAFullDiskLeavesTheFileAsItWas)
{
    // What a run killed while it checked a write leaves behind, and a lock
    // killed before it named its owner (QSettings would wait 30 s on it).
    for (const char* left : { "settings.ini.check1", "settings.ini.check2", "settings.ini.previous" })
        writeFile(QLatin1String(left), "[General]\nkept=no\n");
    writeFile(QStringLiteral("settings.ini.lock"), {});
    UserDefaults defaults(file());
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("settings.ini.lock"))));
    LogCapture log;
    defaults.setString(QStringLiteral("kept"), QStringLiteral("yes"));
    defaults.sync();
    const QByteArray before = contents();
    ASSERT_TRUE(before.contains("kept=yes"));
    // 1,100 bytes on a disk with room for 1,024 (and, after it, for 1,200).
    const QString longer(1100, QLatin1Char('x'));
    {
        FileSizeLimit full(1024);
        defaults.setString(QStringLiteral("note"), longer);
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(contents().toStdString(), before.toStdString());
    ASSERT_EQ(log.entries.size(), 1u);
    EXPECT_TRUE(log.entries[0].message.startsWith(QStringLiteral("Unable to write the settings file ")))
        << qPrintable(log.entries[0].message);
    EXPECT_EQ(defaults.stringValue(QStringLiteral("note")), longer);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::System), QStringList { QStringLiteral("settings.ini") });

    // Room again: the next write carries the change.
    {
        FileSizeLimit roomy(1200);
        defaults.setBool(QStringLiteral("more"), true);
        QCoreApplication::processEvents();
    }
    EXPECT_TRUE(contents().contains("note=" + longer.toLatin1()));
    EXPECT_TRUE(contents().contains("kept=yes"));
    EXPECT_EQ(UserDefaults(file()).stringValue(QStringLiteral("note")), longer);
    EXPECT_EQ(log.entries.back().level, Log::Level::info);

    // A first file cut short is not left behind.
    {
        FileSizeLimit full(512);
        UserDefaults fresh(path(QStringLiteral("fresh.ini")));
        fresh.setString(QStringLiteral("note"), longer);
        fresh.sync();
    }
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("fresh.ini"))));

    // A lock that names a running owner stays.
    QLockFile held(path(QStringLiteral("held.ini.lock")));
    ASSERT_TRUE(held.lock());
    UserDefaults beside(path(QStringLiteral("held.ini")));
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("held.ini.lock"))));
}

TEST_F(SettingsStoreTest, HandWrittenBooleansAreUnderstoodAndTheStyleMustMatchExactly)
{
    store(QStringLiteral("showClock"), QStringLiteral("0"));
    store(QStringLiteral("showMenuBarIcon"), QStringLiteral("1"));
    store(QStringLiteral("showShelf"), QStringLiteral("maybe"));
    store(QStringLiteral("expandedBackgroundStyle"), QStringLiteral("Glass")); // "glass" itself is read back above
    store(QStringLiteral("islandPosition"), QStringLiteral("BelowTopPanel"));
    LogCapture log;
    UserDefaults defaults(file());
    SettingsStore s(defaults);
    EXPECT_TRUE(log.contains(QStringLiteral("Unknown islandPosition \"BelowTopPanel\"; using automatic")));
    EXPECT_EQ(std::tuple(s.islandPosition(), s.showClock(), s.showTrayIcon(), s.showShelf(), s.expandedBackgroundStyle()),
        std::tuple(IslandPosition::automatic, false, true, false, IslandBackgroundStyle::black));
}
