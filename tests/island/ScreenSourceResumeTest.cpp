#include "ChildProcess.h"
#include "DBusMock.h"
#include "QtScreenSource.h"
#include "TempDir.h"
#include "UserDefaults.h"

#include <QDBusMessage>
#include <QSignalSpy>

#include <gtest/gtest.h>

// logind's resume signal on a private bus standing in for the system bus.
class ScreenSourceResumeTest : public TempDirTest { };

TEST_F(ScreenSourceResumeTest, ResumeFromSleepIsAnnouncedAndGoingToSleepIsNot)
{
    ChildProcess::PrivateBus bus;
    ASSERT_FALSE(bus.address.isEmpty());
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", bus.address.toUtf8());
    BusConnection logind(bus.address, QStringLiteral("logind"));
    ASSERT_TRUE(logind.registerService(QStringLiteral("org.freedesktop.login1")));
    const auto prepareForSleep = [&](bool starting) {
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"));
        signal << starting;
        logind.send(signal);
    };

    UserDefaults defaults(path(QStringLiteral("settings.ini")));
    QtScreenSource source(defaults);
    QSignalSpy woke(&source, &ScreenSource::screensDidWake);
    // The subscription is made on the next turn; it is on the bus once made.
    QCoreApplication::processEvents();

    prepareForSleep(true);
    prepareForSleep(false);
    ASSERT_TRUE(woke.wait(5000));
    QCoreApplication::processEvents();
    EXPECT_EQ(woke.count(), 1);
}
