#include "BatteryStatus.h"
#include "LogCapture.h"
#include "SysfsPowerSupplies.h"
#include "TempDir.h"
#include "UPowerPowerSources.h"

#include <QDBusVariant>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cmath>

// What the battery reads from the kernel's power_supply folder and from
// UPower's properties, odd values included.
namespace {

class SysfsPowerSuppliesTest : public TempDirTest {
protected:
    QString root() const { return path("power_supply"); }
    /// Writes the attributes of supply `name`, as the kernel shows them.
    void supply(const QString& name, std::initializer_list<std::pair<const char*, const char*>> attributes)
    {
        for (const auto& [attribute, value] : attributes)
            writeFile(QStringLiteral("power_supply/%1/%2").arg(name, QLatin1String(attribute)), QByteArray(value) + '\n');
    }
    std::optional<BatteryStatus> status() const { return BatteryStatus::read(SysfsPowerSupplies::read(root())); }
};

} // namespace

TEST_F(SysfsPowerSuppliesTest, ReadsTheMachinesBatteryAndLeavesDevicesBatteriesOut)
{
    EXPECT_TRUE(SysfsPowerSupplies::read(root()).isEmpty()); // no folder: a desktop
    // Without a charger, a battery that is not discharging is on external power.
    supply("BAT0", { { "type", "Battery" }, { "status", "Full" }, { "charge_now", "0" }, { "charge_full", "0" } });
    EXPECT_EQ(status(), std::nullopt); // a full charge of 0 is unusable
    supply("BAT0", { { "charge_now", "2900000" }, { "charge_full", "3000000" } });
    EXPECT_EQ(status(), (BatteryStatus { 97, false, true }));
    QDir(root()).removeRecursively();

    supply("hidpp_battery_0", { { "type", "Battery" }, { "scope", "Device" }, { "capacity", "55" } });
    supply("AC", { { "type", "Mains" }, { "online", "0" } });
    EXPECT_EQ(status(), std::nullopt); // only a mouse's battery

    supply("BAT0",
        { { "type", "Battery" }, { "present", "1" }, { "status", "Discharging" }, { "capacity", "81" },
            { "energy_now", "30000000" }, { "energy_full", "40000000" } });
    EXPECT_EQ(status(), (BatteryStatus { 81, false, false })); // capacity first

    // Plugged in: the charger says so; charging is the battery's own word.
    supply("AC", { { "online", "1" } });
    EXPECT_EQ(status(), (BatteryStatus { 81, false, true }));
    supply("BAT0", { { "status", "Charging" } });
    EXPECT_EQ(status(), (BatteryStatus { 81, true, true }));
}

TEST_F(SysfsPowerSuppliesTest, TwoBatteriesShowOneCombinedFigure)
{
    supply("BAT0",
        { { "type", "Battery" }, { "status", "Discharging" }, { "energy_now", "10000000" }, { "energy_full", "40000000" } });
    supply("BAT1",
        { { "type", "Battery" }, { "status", "Discharging" }, { "energy_now", "20000000" }, { "energy_full", "20000000" } });
    EXPECT_EQ(status(), (BatteryStatus { 50, false, false })); // 30 of 60 Wh
    const QList<PowerSourceDescription> sources = SysfsPowerSupplies::read(root());
    ASSERT_EQ(sources.size(), 3);
    EXPECT_EQ(BatteryStatus::read({ sources[1] })->level, 25);

    // Measured unlike (charge and energy): no sum; the first one counts.
    supply("BAT1", { { "energy_now", "x" } });
    QFile::remove(root() + "/BAT1/energy_full");
    supply("BAT1", { { "charge_now", "1500000" }, { "charge_full", "3000000" } });
    LogCapture log;
    EXPECT_EQ(status(), (BatteryStatus { 25, false, false }));
    EXPECT_TRUE(log.contains(QStringLiteral("Power supply BAT1: energy_now is not a number (\"x\"); ignored")));
    // The first one taken out: the other, from its charge.
    supply("BAT0", { { "present", "0" } });
    EXPECT_EQ(status(), (BatteryStatus { 50, false, false }));
}

TEST(SysfsUeventTest, RecognisesPowerSupplyEvents)
{
    const auto datagram = [](const QByteArray& header, const QByteArray& subsystem) {
        return QByteArrayList { header, "ACTION=change", "SUBSYSTEM=" + subsystem, "POWER_SUPPLY_NAME=BAT0", "" }.join('\0');
    };
    const QByteArray change("change@/devices/LNXSYSTM:00/PNP0C0A:00/power_supply/BAT0");
    EXPECT_TRUE(SysfsPowerSupplies::isPowerSupplyEvent(datagram(change, "power_supply")));
    EXPECT_FALSE(SysfsPowerSupplies::isPowerSupplyEvent(datagram(change, "backlight")));
    EXPECT_FALSE(SysfsPowerSupplies::isPowerSupplyEvent(datagram("libudev", "power_supply"))); // udevd's re-broadcast
    EXPECT_FALSE(SysfsPowerSupplies::isPowerSupplyEvent(QByteArray()));
}

TEST(UPowerValuesTest, TakesWellTypedPropertiesLogsTheRestAndCountsOnlyBatteriesPoweringTheMachine)
{
    LogCapture log;
    const QString path = "/org/freedesktop/UPower/devices/battery_BAT0";
    UPowerPowerSources::Device device;
    UPowerPowerSources::update(device,
        { { "Type", uint(2) }, { "PowerSupply", true },
            { "IsPresent", QVariant::fromValue(QDBusVariant(true)) }, // nested in a variant
            { "Percentage", 86.45 }, { "State", uint(1) }, { "Model", 7 } },
        path);
    EXPECT_EQ(device, (UPowerPowerSources::Device { 2u, true, true, 86.45, 1u, std::nullopt }));
    EXPECT_TRUE(log.entries.empty());
    EXPECT_EQ(BatteryStatus::read({ UPowerPowerSources::describe(device, false, true) }), (BatteryStatus { 86, true, true }));

    UPowerPowerSources::update(device, { { "Percentage", "lots" }, { "State", -1 }, { "IsPresent", 1 } }, path);
    EXPECT_EQ(device.percentage, std::nullopt);
    EXPECT_EQ(device.state, std::nullopt);
    EXPECT_EQ(device.isPresent, std::nullopt);
    EXPECT_TRUE(log.contains(
        QStringLiteral("UPower device /org/freedesktop/UPower/devices/battery_BAT0: Percentage is QString, not a finite number; "
                       "ignored")));
    EXPECT_EQ(log.entries.size(), 3u);
    EXPECT_EQ(BatteryStatus::read({ UPowerPowerSources::describe(device, false, false) }), std::nullopt);
    UPowerPowerSources::update(device, { { "Percentage", std::nan("") } }, path);
    EXPECT_EQ(device.percentage, std::nullopt);

    EXPECT_EQ(UPowerPowerSources::onBattery({ { "OnBattery", false } }), false);
    EXPECT_EQ(UPowerPowerSources::onBattery({ { "OnBattery", "no" } }), std::nullopt);
    EXPECT_TRUE(log.contains("UPower device /org/freedesktop/UPower: OnBattery is QString, not a boolean; ignored"));

    // Only batteries that power the machine count.
    const UPowerPowerSources::Device mouse { 5u, false, true, 40.0, 2u, std::nullopt };
    const UPowerPowerSources::Device unpowering { 2u, false, true, 40.0, 2u, std::nullopt };
    const UPowerPowerSources::Device display { 2u, std::nullopt, true, 99.5, 4u, std::nullopt };
    const UPowerPowerSources::Device ups { 3u, std::nullopt, true, 60.0, 2u, std::nullopt };
    EXPECT_FALSE(UPowerPowerSources::describe(mouse, false, false).isInternalBattery);
    EXPECT_FALSE(UPowerPowerSources::describe(unpowering, false, false).isInternalBattery);
    EXPECT_FALSE(UPowerPowerSources::describe(ups, true, false).isInternalBattery); // a desktop on a UPS
    // A battery that does not say it powers the machine does not count, unless it is the display device.
    EXPECT_FALSE(UPowerPowerSources::describe(display, false, false).isInternalBattery);
    // The display device powers the machine by definition and rounds as its percentage.
    EXPECT_EQ(BatteryStatus::read({ UPowerPowerSources::describe(display, true, true) }), (BatteryStatus { 100, false, true }));
}
