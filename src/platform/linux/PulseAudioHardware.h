#pragma once

#include "AudioHardware.h"

#include <QByteArray>
#include <QFileSystemWatcher>
#include <QTimer>

#include <pulse/volume.h>

struct pa_context;
struct pa_operation;
struct pa_glib_mainloop;
struct pa_server_info;
struct pa_sink_info;

/// Conversions between PulseAudio's volumes and our 0…1 level.
namespace PulseVolume {
/// The loudest channel as desktop mixers show it: 1 is the sink's normal
/// volume; an over-amplified sink reads above 1 (1.2 at 120 %).
float level(const pa_cvolume& volume);
/// `volume` with its loudest channel at `level`, the balance kept; levels
/// past what the protocol can carry are limited to PA_VOLUME_MAX.
pa_cvolume scaled(pa_cvolume volume, float level);
} // namespace PulseVolume

/// The default sink of the PulseAudio server (or PipeWire's pulse server).
/// libpulse runs on the GLib main context that Qt's event loop already
/// drives, so every callback arrives on the GUI thread and nothing blocks.
/// When the server goes away the sink is gone until it comes back; retries
/// back off and stop once connected.
class PulseAudioHardware final : public AudioHardware {
    Q_OBJECT
public:
    explicit PulseAudioHardware(QObject* parent = nullptr);
    ~PulseAudioHardware() override;
    PulseAudioHardware(const PulseAudioHardware&) = delete;
    PulseAudioHardware& operator=(const PulseAudioHardware&) = delete;

    DeviceID defaultOutputDevice(int& status) const override;
    bool hasVolume(DeviceID device) const override;
    bool isVolumeSettable(DeviceID device) const override;
    std::optional<float> volume(DeviceID device) const override;
    bool hasMute(DeviceID device) const override;
    std::optional<bool> isMuted(DeviceID device) const override;
    int setVolume(DeviceID device, float volume) override;
    int setMuted(DeviceID device, bool muted) override;

private:
    struct Sink {
        quint32 index = 0;
        pa_cvolume volume {};
        bool muted = false;
    };

    void connectToServer();
    void finishLookup();
    void watchForServer(bool watch);
    void disconnectFromServer();
    void contextStateChanged();
    void requestServerInfo();
    void requestSink(quint32 index);
    void takeServerInfo(const pa_server_info& info);
    void takeSink(const pa_sink_info& info);
    bool isDefault(DeviceID device) const { return m_sink && device == m_sink->index + 1; }
    int operationStatus(pa_operation* operation) const;

    pa_glib_mainloop* m_loop = nullptr;
    pa_context* m_context = nullptr;
    QByteArray m_defaultSinkName;
    std::optional<Sink> m_sink;
    bool m_connected = false;
    // From the first connection until its default sink is known (or known
    // not to exist).
    bool m_lookingUp = true;
    QTimer m_reconnect;
    int m_retries = 0;
    QString m_serverFolder;
    QFileSystemWatcher m_serverWatch;
};
