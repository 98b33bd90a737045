#include "SettingsStore.h"
#include "TempDir.h"
#include "UserDefaults.h"

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
    QVariant stored(const QString& key) const { return QSettings(file(), QSettings::IniFormat).value(key); }
};
} // namespace

TEST_F(SettingsStoreTest, FreshUserGetsTheDefaultsAndNothingIsWritten)
{
    UserDefaults defaults(file());
    SettingsStore s(defaults);
    EXPECT_DOUBLE_EQ(s.hoverDelay(), 0.2);
    EXPECT_FALSE(s.preferredDisplayID());
    for (bool on : {s.showClock(), s.showBattery(), s.showStatusInCompact(), s.showCalendar(), s.calendarShowsTodayOnly(),
             s.showClipboard(), s.showNowPlaying(), s.showVolumeHUD(), s.showBrightnessHUD(), s.showShelf()})
        EXPECT_TRUE(on);
    EXPECT_FALSE(s.replaceSystemHUD());
    EXPECT_FALSE(s.showMenuBarIcon());
    EXPECT_DOUBLE_EQ(s.hudDuration(), 1.5);
    EXPECT_EQ(s.expandedBackgroundStyle(), IslandBackgroundStyle::black);
    EXPECT_DOUBLE_EQ(s.glassGlow(), 0.6);
    EXPECT_TRUE(QSettings(file(), QSettings::IniFormat).allKeys().isEmpty());
}

TEST_F(SettingsStoreTest, OutOfRangeAndWrongTypedValuesAreClampedOrReadAsZero)
{
    struct Case {
        QVariant hover, hud;
        double expectHover, expectHud;
    };
    const Case cases[] = {
        {3, 10, 1.0, 4.0},
        {-1, 0.1, 0.0, 0.5},
        {QStringLiteral("soon"), QStringLiteral("long"), 0.0, 0.5},
        {QStringLiteral("nan"), QStringLiteral("inf"), 0.0, 0.5},
    };
    for (const Case& c : cases) {
        store(QStringLiteral("hoverDelay"), c.hover);
        store(QStringLiteral("hudDuration"), c.hud);
        UserDefaults defaults(file());
        SettingsStore s(defaults);
        EXPECT_DOUBLE_EQ(s.hoverDelay(), c.expectHover) << c.hover.toString().toStdString();
        EXPECT_DOUBLE_EQ(s.hudDuration(), c.expectHud) << c.hud.toString().toStdString();
    }
}

TEST_F(SettingsStoreTest, BackgroundStyleParsingIsExact)
{
    for (const auto& [raw, expected] : {std::pair{QStringLiteral("glass"), IslandBackgroundStyle::glass},
             std::pair{QStringLiteral("Glass"), IslandBackgroundStyle::black},
             std::pair{QStringLiteral("frosted"), IslandBackgroundStyle::black}}) {
        store(QStringLiteral("expandedBackgroundStyle"), raw);
        UserDefaults defaults(file());
        EXPECT_EQ(SettingsStore(defaults).expandedBackgroundStyle(), expected) << raw.toStdString();
    }
}

TEST_F(SettingsStoreTest, ChangesAreWrittenAtOnceAndReadByTheNextStore)
{
    {
        UserDefaults defaults(file());
        SettingsStore s(defaults);
        QSignalSpy glowSpy(&s, &SettingsStore::glassGlowChanged);
        s.setGlassGlow(0.35);
        s.setGlassGlow(0.35);
        EXPECT_EQ(glowSpy.count(), 1);
        s.setShowClock(false);
        s.setExpandedBackgroundStyle(IslandBackgroundStyle::glass);
        s.setPreferredDisplayID(QStringLiteral("ABC"));
        // Written to disk already, without any save step.
        EXPECT_DOUBLE_EQ(stored(QStringLiteral("glassGlow")).toDouble(), 0.35);
        EXPECT_EQ(stored(QStringLiteral("preferredDisplayID")).toString(), QStringLiteral("ABC"));
    }
    UserDefaults defaults(file());
    SettingsStore s(defaults);
    EXPECT_DOUBLE_EQ(s.glassGlow(), 0.35);
    EXPECT_FALSE(s.showClock());
    EXPECT_EQ(s.expandedBackgroundStyle(), IslandBackgroundStyle::glass);
    EXPECT_EQ(s.preferredDisplayID(), QStringLiteral("ABC"));

    s.setPreferredDisplayID(std::nullopt);
    EXPECT_FALSE(QSettings(file(), QSettings::IniFormat).contains(QStringLiteral("preferredDisplayID")));
}

TEST_F(SettingsStoreTest, HandWrittenBooleansAreUnderstood)
{
    store(QStringLiteral("showClock"), QStringLiteral("0"));
    store(QStringLiteral("showMenuBarIcon"), QStringLiteral("1"));
    store(QStringLiteral("showShelf"), QStringLiteral("maybe"));
    UserDefaults defaults(file());
    SettingsStore s(defaults);
    EXPECT_FALSE(s.showClock());
    EXPECT_TRUE(s.showMenuBarIcon());
    EXPECT_FALSE(s.showShelf());
}
