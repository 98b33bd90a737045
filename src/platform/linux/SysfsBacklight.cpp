#include "SysfsBacklight.h"

#include "PlatformLog.h"
#include "login1_session_interface.h"

#include <QDBusPendingCallWatcher>
#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <fcntl.h>
#include <unistd.h>

namespace {

// A sysfs attribute holding one number; 0 or an errno value.
int readNumber(int fd, long& value)
{
    char text[32] = {};
    const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    if (n <= 0)
        return n < 0 ? errno : EINVAL;
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text, &end, 10);
    return (end == text || errno != 0) ? EINVAL : 0;
}

int readNumber(const QString& path, long& value)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int status = readNumber(fd, value);
    ::close(fd);
    return status;
}

int typeRank(const QString& type)
{
    if (type == QLatin1String("firmware"))
        return 0;
    if (type == QLatin1String("platform"))
        return 1;
    return type == QLatin1String("raw") ? 2 : 3;
}

// A raw backlight's "device" is its DRM connector, e.g. card0-eDP-1.
bool drivesPanelConnector(const QString& deviceFolder)
{
    const QString connector = QFileInfo(deviceFolder + QStringLiteral("/device")).canonicalFilePath();
    const QString name = QFileInfo(connector).fileName();
    return name.contains(QLatin1String("-eDP-")) || name.contains(QLatin1String("-LVDS-"))
        || name.contains(QLatin1String("-DSI-"));
}

// The lowest raw value we write: 1, or 1 % of `maximum` when that is more.
// Many panels switch off at 0, and some at values just above it, so no set,
// the lowest step included, leaves the screen dark.
uint lowestLit(int maximum)
{
    return uint(std::max((qint64(maximum) + 99) / 100, qint64(1)));
}

} // namespace

SysfsBacklight::SysfsBacklight(QString root, QDBusConnection systemBus, QObject* parent)
    : DisplayBrightness(parent)
    , m_root(std::move(root))
    , m_systemBus(std::move(systemBus))
    , m_device(chooseDevice(m_root))
{
    connect(&m_watch, &QFileSystemWatcher::fileChanged, this, [this](const QString& path) {
        // A file replaced rather than rewritten leaves the watch: take it up again.
        if (!m_watch.files().contains(path) && QFileInfo::exists(path))
            m_watch.addPath(path);
        reportChange();
    });
}

SysfsBacklight::~SysfsBacklight()
{
    if (m_notifyFd >= 0) {
        m_notifier.reset();
        ::close(m_notifyFd);
    }
}

QString SysfsBacklight::chooseDevice(const QString& root)
{
    QString best;
    int bestRank = 100;
    const QStringList names = QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names) {
        QFile typeFile(root + QLatin1Char('/') + name + QStringLiteral("/type"));
        if (!typeFile.open(QIODevice::ReadOnly))
            continue;
        const int type = typeRank(QString::fromLatin1(typeFile.readAll()).trimmed());
        if (type > 2)
            continue;
        const int rank = type * 2 + (drivesPanelConnector(root + QLatin1Char('/') + name) ? 0 : 1);
        if (rank < bestRank) {
            best = name;
            bestRank = rank;
        }
    }
    return best;
}

std::optional<DisplayBrightness::DisplayID> SysfsBacklight::builtInDisplay() const
{
    if (m_device.isEmpty())
        return std::nullopt;
    return 1;
}

int SysfsBacklight::readMaximum(int& maximum) const
{
    long value = 0;
    if (const int status = readNumber(file("max_brightness"), value))
        return status;
    if (value <= 0 || value > INT_MAX)
        return noMaximum;
    maximum = int(value);
    return 0;
}

bool SysfsBacklight::canChangeBrightness(DisplayID display) const
{
    int maximum = 0;
    return builtInDisplay() == display && readMaximum(maximum) == 0;
}

int SysfsBacklight::brightness(DisplayID display, float& level) const
{
    if (builtInDisplay() != display)
        return noDevice;
    int maximum = 0;
    if (const int status = readMaximum(maximum))
        return status;
    long value = 0;
    if (const int status = readNumber(file("brightness"), value))
        return status;
    level = std::clamp(float(value) / float(maximum), 0.0f, 1.0f);
    return 0;
}

int SysfsBacklight::setBrightness(DisplayID display, float level)
{
    if (builtInDisplay() != display)
        return noDevice;
    int maximum = 0;
    if (const int status = readMaximum(maximum))
        return status;
    const auto value = std::max(uint(std::lround(std::clamp(level, 0.0f, 1.0f) * float(maximum))), lowestLit(maximum));
    if (!m_systemBus.isConnected())
        return writeDirectly(value);
    OrgFreedesktopLogin1SessionInterface session(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1/session/auto"), m_systemBus);
    auto* watcher = new QDBusPendingCallWatcher(session.SetBrightness(QStringLiteral("backlight"), m_device, value), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, value](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        if (!call->isError())
            return;
        const int status = writeDirectly(value);
        if (status != 0)
            qCCritical(lcPlatformHardware, "Unable to set brightness through logind (%s), nor directly: %d",
                qUtf8Printable(call->error().message()), status);
    });
    return 0;
}

float SysfsBacklight::lowestLevel(DisplayID display) const
{
    int maximum = 0;
    if (builtInDisplay() != display || readMaximum(maximum) != 0)
        return 0;
    return float(lowestLit(maximum)) / float(maximum);
}

int SysfsBacklight::writeDirectly(uint value)
{
    const int fd = ::open(QFile::encodeName(file("brightness")).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const QByteArray text = QByteArray::number(value);
    const bool written = ::write(fd, text.constData(), size_t(text.size())) == text.size();
    const int status = written ? 0 : errno;
    ::close(fd);
    return status;
}

int SysfsBacklight::observeChanges(DisplayID display)
{
    if (builtInDisplay() != display)
        return noDevice;
    float level = 0;
    if (brightness(display, level) == 0)
        m_lastReported = level;
    m_watch.addPath(file("brightness"));
    // sysfs wakes pollers of actual_brightness with POLLPRI on every change;
    // a plain file never raises it, so the notifier is silent there.
    m_notifyFd = ::open(QFile::encodeName(file("actual_brightness")).constData(), O_RDONLY | O_CLOEXEC);
    if (m_notifyFd >= 0) {
        long ignored = 0;
        readNumber(m_notifyFd, ignored); // arms the notification
        m_notifier = std::make_unique<QSocketNotifier>(m_notifyFd, QSocketNotifier::Exception);
        connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] {
            long ignored = 0;
            readNumber(m_notifyFd, ignored);
            reportChange();
        });
    }
    return m_watch.files().isEmpty() && m_notifyFd < 0 ? ENOENT : 0;
}

void SysfsBacklight::stopObservingChanges(DisplayID)
{
    if (!m_watch.files().isEmpty())
        m_watch.removePaths(m_watch.files());
    m_notifier.reset();
    if (m_notifyFd >= 0)
        ::close(m_notifyFd);
    m_notifyFd = -1;
    m_lastReported.reset();
}

void SysfsBacklight::reportChange()
{
    float level = 0;
    if (brightness(1, level) != 0 || level == m_lastReported)
        return;
    m_lastReported = level;
    Q_EMIT brightnessChanged(level);
}
