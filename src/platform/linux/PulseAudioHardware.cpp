#include "PulseAudioHardware.h"

#include "Log.h"
#include "PlatformLog.h"

#include <QAbstractEventDispatcher>
#include <QFileInfo>

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/glib-mainloop.h>
#include <pulse/introspect.h>
#include <pulse/subscribe.h>

#include <algorithm>
#include <cmath>

namespace PulseVolume {

float level(const pa_cvolume& volume)
{
    if (!pa_cvolume_valid(&volume))
        return 0;
    return float(pa_cvolume_max(&volume)) / float(PA_VOLUME_NORM);
}

pa_cvolume scaled(pa_cvolume volume, float level)
{
    constexpr double highest = double(PA_VOLUME_MAX) / double(PA_VOLUME_NORM);
    const double clamped = level > 0 ? std::min(double(level), highest) : 0.0; // NaN reads as 0
    const auto target = pa_volume_t(std::llround(clamped * double(PA_VOLUME_NORM)));
    if (!pa_cvolume_valid(&volume))
        pa_cvolume_set(&volume, 1, target);
    else
        pa_cvolume_scale(&volume, target); // all channels at 0 rise together
    return volume;
}

} // namespace PulseVolume

namespace {

constexpr int firstRetryMs = 1000;
constexpr int retriesBeforeWaiting = 5;

// Where the server's socket lives, so that its return is seen without polling.
QString serverSocketFolder()
{
    QString server = qEnvironmentVariable("PULSE_SERVER");
    if (server.startsWith(QLatin1String("unix:")))
        return QFileInfo(server.mid(5)).absolutePath();
    if (!server.isEmpty())
        return {};
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return runtime.isEmpty() ? QString() : runtime + QStringLiteral("/pulse");
}

} // namespace

PulseAudioHardware::PulseAudioHardware(QObject* parent)
    : AudioHardware(parent)
    , m_loop(pa_glib_mainloop_new(nullptr))
{
    // libpulse is driven by the GLib main context, which Qt's event loop
    // runs unless Qt was built or started without GLib (QT_NO_GLIB).
    auto* dispatcher = QAbstractEventDispatcher::instance();
    if (!dispatcher || !dispatcher->inherits("QEventDispatcherGlib"))
        qCCritical(lcPlatformHardware, "The event loop does not run GLib; volume changes will not be seen");
    m_reconnect.setSingleShot(true);
    connect(&m_reconnect, &QTimer::timeout, this, &PulseAudioHardware::connectToServer);
    m_serverFolder = serverSocketFolder();
    connect(&m_serverWatch, &QFileSystemWatcher::directoryChanged, this, [this] {
        watchForServer(true); // the socket's folder may have appeared
        if (!m_connected && !m_reconnect.isActive())
            connectToServer();
    });
    connectToServer();
}

PulseAudioHardware::~PulseAudioHardware()
{
    disconnectFromServer();
    pa_glib_mainloop_free(m_loop);
}

// Only while there is no server: a connected one tells us itself when it goes.
void PulseAudioHardware::watchForServer(bool watch)
{
    if (!watch) {
        if (!m_serverWatch.directories().isEmpty())
            m_serverWatch.removePaths(m_serverWatch.directories());
        return;
    }
    if (m_serverFolder.isEmpty())
        return;
    // The folder itself may come and go with the server: watch its parent too.
    const QStringList watched = m_serverWatch.directories();
    const QString parent = QFileInfo(m_serverFolder).absolutePath();
    if (!watched.contains(parent))
        m_serverWatch.addPath(parent);
    if (!watched.contains(m_serverFolder) && QFileInfo::exists(m_serverFolder))
        m_serverWatch.addPath(m_serverFolder);
}

void PulseAudioHardware::connectToServer()
{
    disconnectFromServer();
    m_context = pa_context_new(pa_glib_mainloop_get_api(m_loop), "Brimwell");
    pa_context_set_state_callback(
        m_context, [](pa_context*, void* self) { static_cast<PulseAudioHardware*>(self)->contextStateChanged(); }, this);
    pa_context_set_subscribe_callback(
        m_context,
        [](pa_context*, pa_subscription_event_type_t event, uint32_t index, void* self) {
            auto* hardware = static_cast<PulseAudioHardware*>(self);
            const auto facility = event & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
            if (facility == PA_SUBSCRIPTION_EVENT_SERVER)
                hardware->requestServerInfo();
            else if (facility == PA_SUBSCRIPTION_EVENT_SINK && hardware->m_sink && hardware->m_sink->index == index)
                hardware->requestSink(index);
        },
        this);
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        contextStateChanged();
}

void PulseAudioHardware::disconnectFromServer()
{
    if (!m_context)
        return;
    // Pending requests are cancelled with the context: their callbacks never run.
    pa_context_set_state_callback(m_context, nullptr, nullptr);
    pa_context_set_subscribe_callback(m_context, nullptr, nullptr);
    pa_context_disconnect(m_context);
    pa_context_unref(m_context);
    m_context = nullptr;
}

void PulseAudioHardware::contextStateChanged()
{
    const pa_context_state_t state = pa_context_get_state(m_context);
    if (state == PA_CONTEXT_READY) {
        m_connected = true;
        m_retries = 0;
        watchForServer(false);
        qCInfo(lcPlatformHardware, "Connected to the sound server %s", pa_context_get_server(m_context));
        pa_operation_unref(pa_context_subscribe(
            m_context, pa_subscription_mask_t(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SERVER), nullptr, nullptr));
        requestServerInfo();
        return;
    }
    if (state != PA_CONTEXT_FAILED && state != PA_CONTEXT_TERMINATED && state != PA_CONTEXT_UNCONNECTED)
        return;
    const char* reason = pa_strerror(pa_context_errno(m_context));
    if (m_connected)
        qCCritical(lcPlatformHardware, "Lost the sound server: %s", reason);
    else if (m_retries == 0)
        qCCritical(lcPlatformHardware, "Unable to connect to the sound server: %s", reason);
    m_connected = false;
    m_defaultSinkName.clear();
    const bool hadSink = m_sink.has_value();
    m_sink.reset();
    finishLookup();
    // The context is released by the next attempt, outside its own callback.
    // A few quick retries cover a restart; after that the socket folder's
    // watch brings the server back when it returns.
    if (m_retries < retriesBeforeWaiting)
        m_reconnect.start(firstRetryMs << m_retries++);
    watchForServer(true);
    if (hadSink)
        Q_EMIT defaultOutputDeviceChanged();
}

void PulseAudioHardware::requestServerInfo()
{
    pa_operation_unref(pa_context_get_server_info(
        m_context,
        [](pa_context*, const pa_server_info* info, void* self) {
            if (info)
                static_cast<PulseAudioHardware*>(self)->takeServerInfo(*info);
        },
        this));
}

void PulseAudioHardware::takeServerInfo(const pa_server_info& info)
{
    const QByteArray name(info.default_sink_name ? info.default_sink_name : "");
    qCDebug(lcTracePulse, "Default sink: %s", name.isEmpty() ? "none" : name.constData());
    if (name == m_defaultSinkName && (m_sink || name.isEmpty()))
        return;
    m_defaultSinkName = name;
    if (name.isEmpty()) {
        const bool hadSink = m_sink.has_value();
        m_sink.reset();
        if (hadSink)
            Q_EMIT defaultOutputDeviceChanged();
        finishLookup();
        return;
    }
    pa_operation_unref(pa_context_get_sink_info_by_name(
        m_context, name.constData(),
        [](pa_context*, const pa_sink_info* info, int eol, void* self) {
            auto* hardware = static_cast<PulseAudioHardware*>(self);
            if (info)
                hardware->takeSink(*info);
            else if (eol < 0 && hardware->m_sink) { // the default sink went away meanwhile
                hardware->m_sink.reset();
                Q_EMIT hardware->defaultOutputDeviceChanged();
            } else if (eol < 0) {
                hardware->finishLookup();
            }
        },
        this));
}

void PulseAudioHardware::requestSink(quint32 index)
{
    pa_operation_unref(pa_context_get_sink_info_by_index(
        m_context, index,
        [](pa_context*, const pa_sink_info* info, int, void* self) {
            if (info)
                static_cast<PulseAudioHardware*>(self)->takeSink(*info);
        },
        this));
}

void PulseAudioHardware::takeSink(const pa_sink_info& info)
{
    if (m_defaultSinkName != info.name)
        return; // an answer about a sink that is no longer the default
    const bool newDevice = !m_sink || m_sink->index != info.index;
    m_sink = Sink { info.index, info.volume, info.mute != 0 };
    m_lookingUp = false;
    if (newDevice)
        Q_EMIT defaultOutputDeviceChanged();
    else
        Q_EMIT deviceChanged(info.index + 1);
}

// The first lookup ended without a default sink: the waiting reader hears of it.
void PulseAudioHardware::finishLookup()
{
    if (!m_lookingUp)
        return;
    m_lookingUp = false;
    Q_EMIT defaultOutputDeviceChanged();
}

AudioHardware::DeviceID PulseAudioHardware::defaultOutputDevice(int& status) const
{
    if (m_sink) {
        status = 0;
        return m_sink->index + 1; // sink 0 exists; device 0 means none
    }
    status = m_lookingUp ? lookupPendingStatus : m_connected ? PA_ERR_NOENTITY : PA_ERR_CONNECTIONREFUSED;
    return 0;
}

bool PulseAudioHardware::hasVolume(DeviceID device) const
{
    return isDefault(device);
}

bool PulseAudioHardware::isVolumeSettable(DeviceID device) const
{
    return isDefault(device) && pa_cvolume_valid(&m_sink->volume);
}

std::optional<float> PulseAudioHardware::volume(DeviceID device) const
{
    if (!isDefault(device))
        return std::nullopt;
    return PulseVolume::level(m_sink->volume);
}

bool PulseAudioHardware::hasMute(DeviceID device) const
{
    return isDefault(device);
}

std::optional<bool> PulseAudioHardware::isMuted(DeviceID device) const
{
    if (!isDefault(device))
        return std::nullopt;
    return m_sink->muted;
}

int PulseAudioHardware::operationStatus(pa_operation* operation) const
{
    if (!operation)
        return pa_context_errno(m_context);
    pa_operation_unref(operation);
    return 0;
}

int PulseAudioHardware::setVolume(DeviceID device, float volume)
{
    if (!isDefault(device) || !m_connected)
        return PA_ERR_NOENTITY;
    const pa_cvolume target = PulseVolume::scaled(m_sink->volume, volume);
    const int status = operationStatus(pa_context_set_sink_volume_by_index(m_context, m_sink->index, &target, nullptr, nullptr));
    if (status == 0)
        m_sink->volume = target;
    return status;
}

int PulseAudioHardware::setMuted(DeviceID device, bool muted)
{
    if (!isDefault(device) || !m_connected)
        return PA_ERR_NOENTITY;
    const int status = operationStatus(pa_context_set_sink_mute_by_index(m_context, m_sink->index, muted, nullptr, nullptr));
    if (status == 0)
        m_sink->muted = muted;
    return status;
}
