#include "BatteryIndicatorLogic.h"
#include "BatteryService.h"
#include "FakePowerSources.h"
#include "LogCapture.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

PowerSourceDescription withCapacities(int current, int max)
{
    PowerSourceDescription d = FakePowerSources::battery(current);
    d.maxCapacity = max;
    return d;
}

std::optional<int> levelOf(const QList<PowerSourceDescription>& sources)
{
    const auto status = BatteryStatus::read(sources);
    return status ? std::optional(status->level) : std::nullopt;
}

} // namespace

TEST(BatteryStatusTest, LevelRoundsHalvesUpWithinAHundredFromTheFirstUsableInternalBattery)
{
    EXPECT_EQ(levelOf({ withCapacities(4321, 5000) }), 86);
    EXPECT_EQ(levelOf({ withCapacities(4974, 5000) }), 99);
    EXPECT_EQ(levelOf({ withCapacities(4975, 5000) }), 100); // 99.5 goes up
    EXPECT_EQ(levelOf({ withCapacities(6000, 5000) }), 100);
    EXPECT_EQ(levelOf({ withCapacities(-20, 5000) }), 0);

    // The first present internal battery with usable capacities counts.
    PowerSourceDescription external;
    external.isOnACPower = true;
    PowerSourceDescription mouse = FakePowerSources::battery(10);
    mouse.isInternalBattery = false;
    PowerSourceDescription absent = FakePowerSources::battery(20);
    absent.isPresent = false;
    PowerSourceDescription noMax = FakePowerSources::battery(30);
    noMax.maxCapacity.reset();
    PowerSourceDescription noCurrent = FakePowerSources::battery(35);
    noCurrent.currentCapacity.reset();
    PowerSourceDescription present = FakePowerSources::battery(40, true, true);
    present.isPresent = true;

    EXPECT_EQ(BatteryStatus::read({}), std::nullopt);
    EXPECT_EQ(BatteryStatus::read({ external, mouse }), std::nullopt); // a desktop with a wireless mouse
    EXPECT_EQ(
        levelOf({ external, mouse, absent, noMax, noCurrent, withCapacities(50, 0), present, FakePowerSources::battery(60) }),
        40);
    EXPECT_EQ(levelOf({ FakePowerSources::battery(70), present }), 70); // "Is Present" missing counts as present
    EXPECT_EQ(BatteryStatus::read({ present }), (BatteryStatus { 40, true, true }));
}

TEST(BatteryServiceTest, PublishesChangesOnlyWhileStarted)
{
    FakePowerSources sources;
    sources.sources = { FakePowerSources::battery(80) };
    BatteryService service(sources);
    QSignalSpy published(&service, &BatteryService::statusChanged);
    EXPECT_FALSE(service.hasStatus());
    sources.change({ FakePowerSources::battery(70) });
    EXPECT_FALSE(service.hasStatus()); // not started

    service.start();
    EXPECT_TRUE(sources.observing);
    EXPECT_EQ(service.status(), (BatteryStatus { 70, false, false }));
    EXPECT_EQ(published.count(), 1);
    service.start(); // already following
    sources.change({ FakePowerSources::battery(70) }); // nothing new
    EXPECT_EQ(published.count(), 1);
    sources.change({ FakePowerSources::battery(70, true, true) });
    EXPECT_EQ(published.count(), 2);
    EXPECT_EQ(std::tuple(service.level(), service.isCharging(), service.isPluggedIn()), std::tuple(70, true, true));
    sources.change({}); // the battery is gone
    EXPECT_FALSE(service.hasStatus());

    sources.change({ FakePowerSources::battery(50) });
    service.stop();
    EXPECT_FALSE(sources.observing);
    EXPECT_FALSE(service.hasStatus());
    const int count = int(published.count());
    sources.change({ FakePowerSources::battery(40) }); // a late notification
    EXPECT_FALSE(service.hasStatus());
    service.stop();
    EXPECT_EQ(published.count(), count);

    // Without change notifications: a line says so, and the first read shows.
    LogCapture log;
    sources.canObserve = false;
    sources.sources = { FakePowerSources::battery(64) };
    service.start();
    EXPECT_EQ(service.level(), 64);
    ASSERT_EQ(log.entries.size(), 1u);
    EXPECT_EQ(Log::formatLine(log.entries[0]),
        QStringLiteral("com.larkmoor.Brimwell[App] error: Unable to observe power source changes"));
}

TEST(BatteryIndicatorTest, SymbolColourAndLabelFollowLevelAndPower)
{
    const QColor white(Qt::white), green(48, 209, 88), red(255, 69, 58);
    struct Case {
        int level;
        bool charging, pluggedIn;
        const char* image;
        QColor color;
    };
    for (const Case& c :
        { Case { 88, false, false, "battery.100percent", white }, Case { 87, false, false, "battery.75percent", white },
            Case { 63, false, false, "battery.75percent", white }, Case { 62, false, false, "battery.50percent", white },
            Case { 38, false, false, "battery.50percent", white }, Case { 37, false, false, "battery.25percent", white },
            Case { 21, false, false, "battery.25percent", white }, Case { 20, false, false, "battery.25percent", red },
            Case { 13, false, false, "battery.25percent", red }, Case { 12, false, false, "battery.0percent", red },
            Case { 20, false, true, "bolt.fill", white }, Case { 5, true, true, "bolt.fill", green } }) {
        EXPECT_EQ(BatteryIndicatorLogic::systemImage(c.level, c.charging, c.pluggedIn), QLatin1String(c.image)) << c.level;
        EXPECT_EQ(BatteryIndicatorLogic::iconColor(c.level, c.charging, c.pluggedIn), c.color) << c.level;
    }
    EXPECT_EQ(BatteryIndicatorLogic::text(87), QStringLiteral("87%"));
    EXPECT_EQ(BatteryIndicatorLogic::accessibleName(54, false, false), QStringLiteral("Battery 54 percent"));
    EXPECT_EQ(BatteryIndicatorLogic::accessibleName(54, true, true), QStringLiteral("Battery 54 percent, charging"));
    EXPECT_EQ(BatteryIndicatorLogic::accessibleName(100, false, true), QStringLiteral("Battery 100 percent, plugged in"));
}
