#include "WaylandIslandPanel.h"

#include "PlatformLog.h"

#include "fractional-scale-v1-client-protocol.h"
#include "viewporter-client-protocol.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickRenderControl>
#include <QQuickRenderTarget>
#include <QQuickWindow>
#include <QSocketNotifier>
#include <QTimer>
#include <QWheelEvent>

#include <wayland-client.h>
#include <wayland-cursor.h>

#include <fcntl.h>
#include <linux/input-event-codes.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <vector>

/// One output as the compositor describes it, in Qt's global coordinates.
struct WaylandOutput {
    WaylandIslandClient* client = nullptr;
    uint32_t globalName = 0;
    wl_output* output = nullptr;
    zxdg_output_v1* xdgOutput = nullptr;
    QString name;
    QRect logical;
    QSize modePixels;
    int integerScale = 1;
};

/// A buffer in shared memory the compositor reads from until it releases it.
struct WaylandShmBuffer {
    WaylandIslandPanel* panel = nullptr;
    wl_buffer* buffer = nullptr;
    void* data = nullptr;
    size_t bytes = 0;
    QImage image;
    bool busy = false;
    /// What changed in the scene since this buffer was last written.
    QRegion stale;
};

/// A drop's offer: the types on offer, and the reads of the ones kept.
struct WaylandOffer {
    wl_data_offer* offer = nullptr;
    QStringList types;
};

/// Everything of the panel's own connection.
struct WaylandIslandClient {
    WaylandIslandPanel* panel = nullptr;
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    wl_seat* seat = nullptr;
    wl_pointer* pointer = nullptr;
    wl_data_device_manager* dataDeviceManager = nullptr;
    wl_data_device* dataDevice = nullptr;
    zwlr_layer_shell_v1* layerShell = nullptr;
    wp_viewporter* viewporter = nullptr;
    wp_fractional_scale_manager_v1* fractionalScaleManager = nullptr;
    zxdg_output_manager_v1* xdgOutputManager = nullptr;
    std::vector<std::unique_ptr<WaylandOutput>> outputs;

    wl_surface* surface = nullptr;
    zwlr_layer_surface_v1* layerSurface = nullptr;
    wp_viewport* viewport = nullptr;
    wp_fractional_scale_v1* fractionalScale = nullptr;
    wl_callback* frameCallback = nullptr;
    WaylandOutput* surfaceOutput = nullptr;
    WaylandShmBuffer buffers[2];
    QSize bufferPixels;

    wl_cursor_theme* cursorTheme = nullptr;
    wl_surface* cursorSurface = nullptr;

    std::unique_ptr<WaylandOffer> pendingOffer; // announced, not yet entered
    std::unique_ptr<WaylandOffer> dragOffer; // over the island
    uint32_t dragSerial = 0;
    /// A drag out of the island, while the compositor runs it.
    wl_data_source* dragSource = nullptr;
    std::unique_ptr<QMimeData> dragData;
    void endDragOut();

    ~WaylandIslandClient();
    void destroyBuffers();
    WaylandShmBuffer* freeBuffer(QSize pixels);
    WaylandOutput* outputFor(const QRect& frame) const;
};

namespace {

constexpr int waylandDropReadBoundMs = 2000;
constexpr qsizetype waylandDropBoundBytes = 256 * 1024 * 1024;

QString waylandUtf8Text()
{
    return QStringLiteral("text/plain;charset=utf-8");
}

const QStringList& waylandDropTypes()
{
    static const QStringList types { QStringLiteral("text/uri-list"), QStringLiteral("image/png"), QStringLiteral("image/tiff"),
        QStringLiteral("text/plain;charset=utf-8"), QStringLiteral("text/plain") };
    return types;
}

template <typename... Args> void ignoreEvent(void*, Args...) { }

// --- outputs ---------------------------------------------------------------

void outputGeometry(void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*, const char*, int32_t) { }

void outputMode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t)
{
    if (flags & WL_OUTPUT_MODE_CURRENT)
        static_cast<WaylandOutput*>(data)->modePixels = QSize(width, height);
}

void outputDone(void* data, wl_output*)
{
    auto* output = static_cast<WaylandOutput*>(data);
    // Without xdg-output the logical size follows from the integer scale.
    if (!output->xdgOutput && output->logical.isEmpty() && output->integerScale > 0)
        output->logical = QRect(QPoint(0, 0), output->modePixels / output->integerScale);
    output->client->panel->handleOutputsChanged();
}

void outputScale(void* data, wl_output*, int32_t factor)
{
    static_cast<WaylandOutput*>(data)->integerScale = std::max(factor, 1);
}

void outputName(void* data, wl_output*, const char* name)
{
    static_cast<WaylandOutput*>(data)->name = QString::fromUtf8(name);
}

const wl_output_listener waylandOutputListener
    = { outputGeometry, outputMode, outputDone, outputScale, outputName, ignoreEvent<wl_output*, const char*> };

void xdgOutputPosition(void* data, zxdg_output_v1*, int32_t x, int32_t y)
{
    static_cast<WaylandOutput*>(data)->logical.moveTopLeft(QPoint(x, y));
}

void xdgOutputSize(void* data, zxdg_output_v1*, int32_t width, int32_t height)
{
    static_cast<WaylandOutput*>(data)->logical.setSize(QSize(width, height));
}

void xdgOutputName(void* data, zxdg_output_v1*, const char* name)
{
    static_cast<WaylandOutput*>(data)->name = QString::fromUtf8(name);
}

const zxdg_output_v1_listener waylandXdgOutputListener = { xdgOutputPosition, xdgOutputSize, ignoreEvent<zxdg_output_v1*>,
    xdgOutputName, ignoreEvent<zxdg_output_v1*, const char*> };

void watchXdgOutput(WaylandIslandClient* client, WaylandOutput* output)
{
    if (!client->xdgOutputManager || output->xdgOutput)
        return;
    output->xdgOutput = zxdg_output_manager_v1_get_xdg_output(client->xdgOutputManager, output->output);
    zxdg_output_v1_add_listener(output->xdgOutput, &waylandXdgOutputListener, output);
}

// --- the pointer -----------------------------------------------------------

QPointF surfacePoint(wl_fixed_t x, wl_fixed_t y)
{
    return QPointF(wl_fixed_to_double(x), wl_fixed_to_double(y));
}

void pointerEnter(void* data, wl_pointer* pointer, uint32_t serial, wl_surface* surface, wl_fixed_t x, wl_fixed_t y)
{
    auto* client = static_cast<WaylandIslandClient*>(data);
    if (surface != client->surface)
        return;
    if (client->cursorTheme) {
        if (wl_cursor* cursor = wl_cursor_theme_get_cursor(client->cursorTheme, "left_ptr")) {
            wl_cursor_image* image = cursor->images[0];
            wl_surface_attach(client->cursorSurface, wl_cursor_image_get_buffer(image), 0, 0);
            wl_surface_damage_buffer(client->cursorSurface, 0, 0, int32_t(image->width), int32_t(image->height));
            wl_surface_commit(client->cursorSurface);
            wl_pointer_set_cursor(pointer, serial, client->cursorSurface, int32_t(image->hotspot_x), int32_t(image->hotspot_y));
        }
    }
    client->panel->handlePointerEnter(serial, surfacePoint(x, y));
}

void pointerLeave(void* data, wl_pointer*, uint32_t, wl_surface* surface)
{
    auto* client = static_cast<WaylandIslandClient*>(data);
    if (surface && surface == client->surface)
        client->panel->handlePointerLeave();
}

void pointerMotion(void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y)
{
    static_cast<WaylandIslandClient*>(data)->panel->handlePointerMotion(surfacePoint(x, y));
}

void pointerButton(void* data, wl_pointer*, uint32_t serial, uint32_t, uint32_t button, uint32_t state)
{
    static_cast<WaylandIslandClient*>(data)->panel->handlePointerButton(serial, button, state == WL_POINTER_BUTTON_STATE_PRESSED);
}

void pointerAxis(void* data, wl_pointer*, uint32_t, uint32_t axis, wl_fixed_t value)
{
    static_cast<WaylandIslandClient*>(data)->panel->handlePointerAxis(
        axis == WL_POINTER_AXIS_VERTICAL_SCROLL, wl_fixed_to_double(value));
}

const wl_pointer_listener waylandPointerListener = { pointerEnter, pointerLeave, pointerMotion, pointerButton, pointerAxis,
    ignoreEvent<wl_pointer*>, ignoreEvent<wl_pointer*, uint32_t>, ignoreEvent<wl_pointer*, uint32_t, uint32_t>,
    ignoreEvent<wl_pointer*, uint32_t, int32_t>, ignoreEvent<wl_pointer*, uint32_t, int32_t> };

void seatCapabilities(void* data, wl_seat* seat, uint32_t capabilities)
{
    auto* client = static_cast<WaylandIslandClient*>(data);
    const bool hasPointer = capabilities & WL_SEAT_CAPABILITY_POINTER;
    if (hasPointer && !client->pointer) {
        client->pointer = wl_seat_get_pointer(seat);
        wl_pointer_add_listener(client->pointer, &waylandPointerListener, client);
    } else if (!hasPointer && client->pointer) {
        wl_pointer_release(client->pointer);
        client->pointer = nullptr;
    }
}

const wl_seat_listener waylandSeatListener = { seatCapabilities, ignoreEvent<wl_seat*, const char*> };

// --- drops -----------------------------------------------------------------

void offerType(void* data, wl_data_offer*, const char* type)
{
    static_cast<WaylandOffer*>(data)->types.append(QString::fromUtf8(type));
}

const wl_data_offer_listener waylandOfferListener
    = { offerType, ignoreEvent<wl_data_offer*, uint32_t>, ignoreEvent<wl_data_offer*, uint32_t> };

void destroyOffer(std::unique_ptr<WaylandOffer>& offer)
{
    if (offer && offer->offer)
        wl_data_offer_destroy(offer->offer);
    offer.reset();
}

void deviceDataOffer(void* data, wl_data_device*, wl_data_offer* offer)
{
    auto* client = static_cast<WaylandIslandClient*>(data);
    destroyOffer(client->pendingOffer);
    client->pendingOffer = std::make_unique<WaylandOffer>();
    client->pendingOffer->offer = offer;
    wl_data_offer_add_listener(offer, &waylandOfferListener, client->pendingOffer.get());
}

void deviceEnter(void* data, wl_data_device*, uint32_t serial, wl_surface* surface, wl_fixed_t, wl_fixed_t, wl_data_offer* offer)
{
    auto* client = static_cast<WaylandIslandClient*>(data);
    destroyOffer(client->dragOffer);
    if (client->pendingOffer && client->pendingOffer->offer == offer)
        client->dragOffer = std::move(client->pendingOffer);
    // Our own drag passing over the island is no drop.
    if (!client->dragOffer || surface != client->surface || client->dragSource)
        return;
    client->dragSerial = serial;
    const QStringList& types = client->dragOffer->types;
    const auto wanted = std::find_if(
        waylandDropTypes().begin(), waylandDropTypes().end(), [&](const QString& type) { return types.contains(type); });
    const bool droppable = client->panel->acceptsDrops() && wanted != waylandDropTypes().end();
    wl_data_offer_accept(offer, serial, droppable ? wanted->toUtf8().constData() : nullptr);
    if (wl_data_offer_get_version(offer) >= 3) {
        const uint32_t copy = droppable ? WL_DATA_DEVICE_MANAGER_DND_ACTION_COPY : WL_DATA_DEVICE_MANAGER_DND_ACTION_NONE;
        wl_data_offer_set_actions(offer, copy, copy);
    }
    client->panel->handleDragEnter(droppable);
}

void deviceLeave(void* data, wl_data_device*)
{
    auto* client = static_cast<WaylandIslandClient*>(data);
    destroyOffer(client->dragOffer);
    client->panel->handleDragLeave();
}

/// Reads the kept types of a dropped offer, each through a pipe the source
/// writes into, without blocking: the drop is reported once every read has
/// ended or the bound has passed, and the offer is then finished.
class WaylandDropRead final : public QObject {
public:
    WaylandDropRead(WaylandIslandClient* client, std::unique_ptr<WaylandOffer> offer)
        : m_client(client)
        , m_offer(std::move(offer))
    {
        const bool utf8Text = m_offer->types.contains(waylandUtf8Text());
        for (const QString& type : waylandDropTypes()) {
            if (!m_offer->types.contains(type) || (utf8Text && type == QLatin1String("text/plain")))
                continue;
            int fds[2];
            if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
                qCWarning(lcPlatformDisplay, "A drop's %s could not be read: %s", qUtf8Printable(type), std::strerror(errno));
                continue;
            }
            wl_data_offer_receive(m_offer->offer, type.toUtf8().constData(), fds[1]);
            ::close(fds[1]);
            auto* notifier = new QSocketNotifier(fds[0], QSocketNotifier::Read, this);
            m_reads.push_back({ type, fds[0], {}, notifier });
            connect(notifier, &QSocketNotifier::activated, this, [this, notifier] { readFrom(notifier); });
        }
        wl_display_flush(client->display);
        QTimer::singleShot(waylandDropReadBoundMs, this, [this] {
            if (!m_reads.empty())
                qCWarning(lcPlatformDisplay, "A drop's source did not finish sending within %d ms; taking what came",
                    waylandDropReadBoundMs);
            for (Read& read : m_reads)
                closeRead(read);
            finishIfDone();
        });
        finishIfDone();
    }

    ~WaylandDropRead() override
    {
        for (Read& read : m_reads)
            closeRead(read);
        destroyOffer(m_offer);
    }

private:
    struct Read {
        QString type;
        int fd = -1;
        QByteArray bytes;
        QSocketNotifier* notifier = nullptr;
    };

    void readFrom(QSocketNotifier* notifier)
    {
        const auto read = std::find_if(m_reads.begin(), m_reads.end(), [&](const Read& r) { return r.notifier == notifier; });
        if (read == m_reads.end())
            return;
        char chunk[65536];
        for (;;) {
            const ssize_t count = ::read(read->fd, chunk, sizeof chunk);
            if (count > 0) {
                read->bytes.append(chunk, count);
                if (read->bytes.size() > waylandDropBoundBytes) {
                    qCWarning(lcPlatformDisplay, "A drop's %s is over %lld bytes; not taken", qUtf8Printable(read->type),
                        qlonglong(waylandDropBoundBytes));
                    read->bytes.clear();
                    break;
                }
                continue;
            }
            if (count < 0 && (errno == EAGAIN || errno == EINTR))
                return;
            break; // end of data, or an error
        }
        if (read->type == waylandUtf8Text())
            m_data.setText(QString::fromUtf8(read->bytes));
        else
            m_data.setData(read->type, read->bytes);
        closeRead(*read);
        finishIfDone();
    }

    void closeRead(Read& read)
    {
        if (read.fd < 0)
            return;
        delete read.notifier;
        read.notifier = nullptr;
        ::close(read.fd);
        read.fd = -1;
    }

    void finishIfDone()
    {
        if (m_finished || std::any_of(m_reads.begin(), m_reads.end(), [](const Read& r) { return r.fd >= 0; }))
            return;
        m_finished = true;
        m_reads.clear();
        // Reported after the constructor returned, so the panel never sees a
        // drop while it is handling the drop event.
        QTimer::singleShot(0, this, [this] {
            m_client->panel->handleDrop(m_data);
            if (wl_data_offer_get_version(m_offer->offer) >= 3)
                wl_data_offer_finish(m_offer->offer);
            destroyOffer(m_offer);
            wl_display_flush(m_client->display);
            deleteLater();
        });
    }

    WaylandIslandClient* m_client;
    std::unique_ptr<WaylandOffer> m_offer;
    std::vector<Read> m_reads;
    QMimeData m_data;
    bool m_finished = false;
};

void deviceDrop(void* data, wl_data_device*)
{
    auto* client = static_cast<WaylandIslandClient*>(data);
    if (!client->dragOffer || !client->panel->acceptsDrops()) {
        destroyOffer(client->dragOffer);
        client->panel->handleDragLeave();
        return;
    }
    new WaylandDropRead(client, std::move(client->dragOffer));
}

void deviceSelection(void* data, wl_data_device*, wl_data_offer* offer)
{
    // The clipboard is read through data control; this offer is not ours to keep.
    auto* client = static_cast<WaylandIslandClient*>(data);
    if (client->pendingOffer && client->pendingOffer->offer == offer)
        client->pendingOffer.reset();
    if (offer)
        wl_data_offer_destroy(offer);
}

const wl_data_device_listener waylandDataDeviceListener = { deviceDataOffer, deviceEnter, deviceLeave,
    ignoreEvent<wl_data_device*, uint32_t, wl_fixed_t, wl_fixed_t>, deviceDrop, deviceSelection };

// --- drags out -------------------------------------------------------------

void sourceSend(void* data, wl_data_source*, const char* type, int32_t fd)
{
    auto* client = static_cast<WaylandIslandClient*>(data);
    const QByteArray bytes = client->dragData ? client->dragData->data(QString::fromUtf8(type)) : QByteArray();
    // A file's URL is a line: the pipe takes it at once.
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        written += count;
    }
    ::close(fd);
}

void sourceEnded(void* data, wl_data_source*)
{
    static_cast<WaylandIslandClient*>(data)->endDragOut();
}

const wl_data_source_listener waylandSourceListener = { ignoreEvent<wl_data_source*, const char*>, sourceSend, sourceEnded,
    ignoreEvent<wl_data_source*>, sourceEnded, ignoreEvent<wl_data_source*, uint32_t> };

// --- globals ---------------------------------------------------------------

template <typename T>
T* bind(wl_registry* registry, uint32_t name, const wl_interface* interface, uint32_t offered, uint32_t wanted)
{
    return static_cast<T*>(wl_registry_bind(registry, name, interface, std::min(offered, wanted)));
}

void registryGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version)
{
    auto* client = static_cast<WaylandIslandClient*>(data);
    const auto is = [&](const wl_interface& wanted) { return std::strcmp(interface, wanted.name) == 0; };
    if (is(wl_compositor_interface)) {
        client->compositor = bind<wl_compositor>(registry, name, &wl_compositor_interface, version, 4);
    } else if (is(wl_shm_interface)) {
        client->shm = bind<wl_shm>(registry, name, &wl_shm_interface, version, 1);
    } else if (is(wl_seat_interface) && !client->seat) {
        client->seat = bind<wl_seat>(registry, name, &wl_seat_interface, version, 5);
        wl_seat_add_listener(client->seat, &waylandSeatListener, client);
    } else if (is(wl_data_device_manager_interface)) {
        client->dataDeviceManager = bind<wl_data_device_manager>(registry, name, &wl_data_device_manager_interface, version, 3);
    } else if (is(zwlr_layer_shell_v1_interface)) {
        client->layerShell = bind<zwlr_layer_shell_v1>(registry, name, &zwlr_layer_shell_v1_interface, version, 1);
    } else if (is(wp_viewporter_interface)) {
        client->viewporter = bind<wp_viewporter>(registry, name, &wp_viewporter_interface, version, 1);
    } else if (is(wp_fractional_scale_manager_v1_interface)) {
        client->fractionalScaleManager
            = bind<wp_fractional_scale_manager_v1>(registry, name, &wp_fractional_scale_manager_v1_interface, version, 1);
    } else if (is(zxdg_output_manager_v1_interface)) {
        client->xdgOutputManager = bind<zxdg_output_manager_v1>(registry, name, &zxdg_output_manager_v1_interface, version, 3);
        for (const auto& output : client->outputs)
            watchXdgOutput(client, output.get());
    } else if (is(wl_output_interface)) {
        auto output = std::make_unique<WaylandOutput>();
        output->client = client;
        output->globalName = name;
        output->output = bind<wl_output>(registry, name, &wl_output_interface, version, 4);
        wl_output_add_listener(output->output, &waylandOutputListener, output.get());
        watchXdgOutput(client, output.get());
        client->outputs.push_back(std::move(output));
    }
}

void registryGlobalRemove(void* data, wl_registry*, uint32_t name)
{
    auto* client = static_cast<WaylandIslandClient*>(data);
    const auto it = std::find_if(client->outputs.begin(), client->outputs.end(),
        [&](const std::unique_ptr<WaylandOutput>& output) { return output->globalName == name; });
    if (it == client->outputs.end())
        return;
    if (client->surfaceOutput == it->get())
        client->surfaceOutput = nullptr;
    if ((*it)->xdgOutput)
        zxdg_output_v1_destroy((*it)->xdgOutput);
    wl_output_release((*it)->output);
    client->outputs.erase(it);
    client->panel->handleOutputsChanged();
}

const wl_registry_listener waylandRegistryListener = { registryGlobal, registryGlobalRemove };

// --- the layer surface -----------------------------------------------------

void layerConfigure(void* data, zwlr_layer_surface_v1*, uint32_t serial, uint32_t, uint32_t)
{
    static_cast<WaylandIslandClient*>(data)->panel->handleConfigure(serial);
}

void layerClosed(void* data, zwlr_layer_surface_v1*)
{
    static_cast<WaylandIslandClient*>(data)->panel->handleClosed();
}

const zwlr_layer_surface_v1_listener waylandLayerSurfaceListener = { layerConfigure, layerClosed };

void preferredScale(void* data, wp_fractional_scale_v1*, uint32_t scale)
{
    static_cast<WaylandIslandClient*>(data)->panel->handlePreferredScale(scale / 120.0);
}

const wp_fractional_scale_v1_listener waylandFractionalScaleListener = { preferredScale };

void frameDone(void* data, wl_callback* callback, uint32_t)
{
    auto* client = static_cast<WaylandIslandClient*>(data);
    wl_callback_destroy(callback);
    client->frameCallback = nullptr;
    client->panel->handleFrameDone();
}

const wl_callback_listener waylandFrameListener = { frameDone };

void bufferRelease(void* data, wl_buffer*)
{
    auto* buffer = static_cast<WaylandShmBuffer*>(data);
    buffer->busy = false;
    // A frame that waited for a free buffer is drawn now.
    buffer->panel->handleFrameDone();
}

const wl_buffer_listener waylandBufferListener = { bufferRelease };

} // namespace

void WaylandIslandClient::endDragOut()
{
    if (dragSource)
        wl_data_source_destroy(dragSource);
    dragSource = nullptr;
    dragData.reset();
}

WaylandIslandClient::~WaylandIslandClient()
{
    endDragOut();
    destroyBuffers();
    pendingOffer.reset();
    dragOffer.reset();
    if (cursorSurface)
        wl_surface_destroy(cursorSurface);
    if (cursorTheme)
        wl_cursor_theme_destroy(cursorTheme);
    if (display)
        wl_display_disconnect(display);
}

void WaylandIslandClient::destroyBuffers()
{
    for (WaylandShmBuffer& buffer : buffers) {
        if (buffer.buffer)
            wl_buffer_destroy(buffer.buffer);
        if (buffer.data)
            ::munmap(buffer.data, buffer.bytes);
        buffer = WaylandShmBuffer();
    }
    bufferPixels = QSize();
}

// A buffer the compositor does not read, of `pixels`; both are made anew
// when the size changes.
WaylandShmBuffer* WaylandIslandClient::freeBuffer(QSize pixels)
{
    if (pixels != bufferPixels) {
        destroyBuffers();
        const int stride = pixels.width() * 4;
        for (WaylandShmBuffer& buffer : buffers) {
            buffer.bytes = size_t(stride) * size_t(pixels.height());
            const int fd = ::memfd_create("brimwell-island", MFD_CLOEXEC);
            if (fd < 0 || ::ftruncate(fd, off_t(buffer.bytes)) != 0) {
                qCWarning(lcPlatformDisplay, "No shared memory for the island's buffers: %s", std::strerror(errno));
                if (fd >= 0)
                    ::close(fd);
                destroyBuffers();
                return nullptr;
            }
            buffer.data = ::mmap(nullptr, buffer.bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
            if (buffer.data == MAP_FAILED) {
                buffer.data = nullptr;
                ::close(fd);
                destroyBuffers();
                return nullptr;
            }
            wl_shm_pool* pool = wl_shm_create_pool(shm, fd, int32_t(buffer.bytes));
            buffer.buffer = wl_shm_pool_create_buffer(pool, 0, pixels.width(), pixels.height(), stride, WL_SHM_FORMAT_ARGB8888);
            wl_shm_pool_destroy(pool);
            ::close(fd);
            buffer.panel = panel;
            wl_buffer_add_listener(buffer.buffer, &waylandBufferListener, &buffer);
            // Premultiplied ARGB in native order is what wl_shm's ARGB8888 is.
            buffer.image = QImage(
                static_cast<uchar*>(buffer.data), pixels.width(), pixels.height(), stride, QImage::Format_ARGB32_Premultiplied);
            buffer.stale = QRegion(QRect(QPoint(0, 0), pixels));
        }
        bufferPixels = pixels;
    }
    for (WaylandShmBuffer& buffer : buffers) {
        if (!buffer.busy)
            return &buffer;
    }
    return nullptr;
}

WaylandOutput* WaylandIslandClient::outputFor(const QRect& frame) const
{
    for (const auto& output : outputs) {
        if (output->logical.contains(frame.center()))
            return output.get();
    }
    return outputs.empty() ? nullptr : outputs.front().get();
}

bool WaylandIslandPanel::compositorOffersLayerShell()
{
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        return false;
    struct Found {
        bool layerShell = false;
    } found;
    static const wl_registry_listener listener = {
        [](void* data, wl_registry*, uint32_t, const char* interface, uint32_t) {
            if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0)
                static_cast<Found*>(data)->layerShell = true;
        },
        ignoreEvent<wl_registry*, uint32_t>,
    };
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &listener, &found);
    const bool answered = wl_display_roundtrip(display) >= 0;
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return answered && found.layerShell;
}

WaylandIslandPanel::WaylandIslandPanel(QObject* parent)
    : QObject(parent)
    , m_client(std::make_unique<WaylandIslandClient>())
{
    m_client->panel = this;
    m_client->display = wl_display_connect(nullptr);
    if (!m_client->display) {
        qCCritical(lcPlatformDisplay, "No Wayland compositor answers; the island cannot show");
        return;
    }
    m_client->registry = wl_display_get_registry(m_client->display);
    wl_registry_add_listener(m_client->registry, &waylandRegistryListener, m_client.get());
    // Globals, then the outputs' and the seat's first events.
    wl_display_roundtrip(m_client->display);
    wl_display_roundtrip(m_client->display);
    if (!m_client->compositor || !m_client->shm || !m_client->layerShell)
        qCCritical(lcPlatformDisplay, "The compositor offers no layer shell; the island cannot show");
    if (m_client->seat && m_client->dataDeviceManager) {
        m_client->dataDevice = wl_data_device_manager_get_data_device(m_client->dataDeviceManager, m_client->seat);
        wl_data_device_add_listener(m_client->dataDevice, &waylandDataDeviceListener, m_client.get());
    }
    if (m_client->compositor && m_client->shm) {
        const int cursorSize = qEnvironmentVariableIsSet("XCURSOR_SIZE") ? qEnvironmentVariableIntValue("XCURSOR_SIZE") : 24;
        m_client->cursorTheme
            = wl_cursor_theme_load(qEnvironmentVariableIsSet("XCURSOR_THEME") ? qgetenv("XCURSOR_THEME").constData() : nullptr,
                cursorSize > 0 ? cursorSize : 24, m_client->shm);
        m_client->cursorSurface = wl_compositor_create_surface(m_client->compositor);
    }
    qCInfo(lcPlatformDisplay, "Island on the compositor's layer shell%s%s",
        m_client->fractionalScaleManager ? ", fractional scale" : "", m_client->viewporter ? ", viewporter" : "");

    m_qtDrag = &ItemDrag::current();
    ItemDrag::install(this);

    m_notifier = new QSocketNotifier(wl_display_get_fd(m_client->display), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &WaylandIslandPanel::dispatch);
    flush();

    m_engine = new QQmlEngine(this);
    m_renderControl = new QQuickRenderControl(this);
    m_window = new QQuickWindow(m_renderControl);
    m_window->setColor(Qt::transparent);
    // The software renderer draws into the buffer's image; an RHI would
    // need a GPU context this path never uses.
    if (QQuickWindow::sceneGraphBackend() != QLatin1String("software"))
        qCWarning(lcPlatformDisplay, "The island on Wayland draws with the software renderer only");
    connect(m_renderControl, &QQuickRenderControl::renderRequested, this, &WaylandIslandPanel::scheduleFrame);
    connect(m_renderControl, &QQuickRenderControl::sceneChanged, this, &WaylandIslandPanel::scheduleFrame);
}

WaylandIslandPanel::~WaylandIslandPanel()
{
    if (m_qtDrag)
        ItemDrag::install(m_qtDrag);
    delete m_root;
    delete m_window;
    delete m_renderControl;
    delete m_engine;
    destroySurface();
}

void WaylandIslandPanel::dispatch()
{
    if (wl_display_dispatch(m_client->display) < 0)
        connectionLost("reading from the compositor");
    flush();
}

void WaylandIslandPanel::flush()
{
    if (m_client->display && wl_display_flush(m_client->display) < 0 && errno != EAGAIN)
        connectionLost("writing to the compositor");
}

void WaylandIslandPanel::connectionLost(const char* what)
{
    if (m_notifier)
        m_notifier->setEnabled(false);
    const int error = wl_display_get_error(m_client->display);
    qCCritical(lcPlatformDisplay, "The Wayland compositor went away (%s: %s); Brimwell ends", what, std::strerror(error));
    QCoreApplication::exit(1);
}

void WaylandIslandPanel::loadRoot(const QUrl& url, const QVariantMap& initialProperties)
{
    QQmlComponent component(m_engine, url);
    QObject* object = component.isReady() ? component.createWithInitialProperties(initialProperties) : nullptr;
    m_root = qobject_cast<QQuickItem*>(object);
    if (!m_root) {
        delete object;
        qCCritical(lcPlatformDisplay, "The island's view failed to load: %s", qUtf8Printable(component.errorString()));
        return;
    }
    m_root->setParentItem(m_window->contentItem());
    m_root->setSize(m_frame.size());
}

void WaylandIslandPanel::setFrame(const QRect& frame)
{
    m_frame = frame;
    m_window->setGeometry(frame);
    if (m_root)
        m_root->setSize(frame.size());
    if (m_client->layerSurface && m_client->outputFor(frame) != m_client->surfaceOutput) {
        // Another output: a layer surface stays on the one it was made for.
        destroySurface();
        createSurface();
    }
    applyPlacement();
    scheduleFrame();
}

void WaylandIslandPanel::setOverTopPanels(bool over)
{
    if (std::exchange(m_overTopPanels, over) == over)
        return;
    applyPlacement();
    scheduleFrame();
}

// Double-buffered state: it takes effect with the next frame's commit.
void WaylandIslandPanel::applyPlacement()
{
    if (!m_client->layerSurface || m_frame.isEmpty())
        return;
    m_stateChanged = true;
    const QRect output = m_client->surfaceOutput ? m_client->surfaceOutput->logical : QRect();
    zwlr_layer_surface_v1_set_size(m_client->layerSurface, uint32_t(m_frame.width()), uint32_t(m_frame.height()));
    zwlr_layer_surface_v1_set_margin(m_client->layerSurface, m_frame.top() - output.top(), 0, 0, m_frame.left() - output.left());
    // -1: not moved for the panels that reserve the top; 0: placed below them.
    zwlr_layer_surface_v1_set_exclusive_zone(m_client->layerSurface, m_overTopPanels ? -1 : 0);
    if (m_client->viewport)
        wp_viewport_set_destination(m_client->viewport, m_frame.width(), m_frame.height());
}

void WaylandIslandPanel::orderFrontRegardless()
{
    m_shown = true;
    if (!m_client->layerSurface)
        createSurface();
    flush();
}

void WaylandIslandPanel::orderOut()
{
    m_shown = false;
    destroySurface();
    flush();
    reportVisibility();
}

void WaylandIslandPanel::createSurface()
{
    if (!m_client->compositor || !m_client->shm || !m_client->layerShell || m_frame.isEmpty())
        return;
    m_client->surfaceOutput = m_client->outputFor(m_frame);
    m_client->surface = wl_compositor_create_surface(m_client->compositor);
    if (m_client->viewporter)
        m_client->viewport = wp_viewporter_get_viewport(m_client->viewporter, m_client->surface);
    if (m_client->fractionalScaleManager) {
        m_client->fractionalScale
            = wp_fractional_scale_manager_v1_get_fractional_scale(m_client->fractionalScaleManager, m_client->surface);
        wp_fractional_scale_v1_add_listener(m_client->fractionalScale, &waylandFractionalScaleListener, m_client.get());
    }
    m_client->layerSurface = zwlr_layer_shell_v1_get_layer_surface(m_client->layerShell, m_client->surface,
        m_client->surfaceOutput ? m_client->surfaceOutput->output : nullptr, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY,
        "brimwell-island");
    zwlr_layer_surface_v1_add_listener(m_client->layerSurface, &waylandLayerSurfaceListener, m_client.get());
    zwlr_layer_surface_v1_set_anchor(
        m_client->layerSurface, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT);
    zwlr_layer_surface_v1_set_keyboard_interactivity(m_client->layerSurface, 0);
    applyPlacement();
    applyInputRegion();
    // The first commit carries no buffer; the compositor answers with a configure.
    wl_surface_commit(m_client->surface);
}

void WaylandIslandPanel::destroySurface()
{
    if (!m_client->surface)
        return;
    if (m_client->frameCallback) {
        wl_callback_destroy(m_client->frameCallback);
        m_client->frameCallback = nullptr;
    }
    if (m_client->fractionalScale)
        wp_fractional_scale_v1_destroy(m_client->fractionalScale);
    if (m_client->viewport)
        wp_viewport_destroy(m_client->viewport);
    if (m_client->layerSurface)
        zwlr_layer_surface_v1_destroy(m_client->layerSurface);
    wl_surface_destroy(m_client->surface);
    m_client->fractionalScale = nullptr;
    m_client->viewport = nullptr;
    m_client->layerSurface = nullptr;
    m_client->surface = nullptr;
    m_client->surfaceOutput = nullptr;
    m_client->destroyBuffers();
    m_scene = QImage();
    m_preferredScale.reset();
    m_configured = false;
    if (m_dragInside)
        handleDragLeave();
}

bool WaylandIslandPanel::isDraggingOut() const
{
    return m_client->dragSource != nullptr;
}

bool WaylandIslandPanel::isVisibleOnScreen() const
{
    return m_shown && m_configured;
}

void WaylandIslandPanel::reportVisibility()
{
    const bool visible = isVisibleOnScreen();
    if (std::exchange(m_wasVisible, visible) != visible)
        Q_EMIT events().occlusionChanged();
}

void WaylandIslandPanel::setIslandShape(const QRegion& shape)
{
    if (shape == m_shape)
        return;
    m_shape = shape;
    applyInputRegion();
    scheduleFrame();
}

// Double-buffered too; the outline changes with the scene, which commits.
void WaylandIslandPanel::applyInputRegion()
{
    if (!m_client->surface)
        return;
    m_stateChanged = true;
    if (m_shape.isEmpty()) {
        wl_surface_set_input_region(m_client->surface, nullptr);
        return;
    }
    wl_region* region = wl_compositor_create_region(m_client->compositor);
    for (const QRect& rect : m_shape)
        wl_region_add(region, rect.x(), rect.y(), rect.width(), rect.height());
    wl_surface_set_input_region(m_client->surface, region);
    wl_region_destroy(region);
}

qreal WaylandIslandPanel::scale() const
{
    if (m_preferredScale)
        return *m_preferredScale;
    const WaylandOutput* output = m_client->surfaceOutput ? m_client->surfaceOutput : m_client->outputFor(m_frame);
    if (!output)
        return 1;
    if (m_client->viewporter && output->logical.width() > 0 && output->modePixels.width() > 0)
        return qreal(output->modePixels.width()) / output->logical.width();
    return output->integerScale;
}

void WaylandIslandPanel::handleConfigure(uint32_t serial)
{
    zwlr_layer_surface_v1_ack_configure(m_client->layerSurface, serial);
    if (!m_configured) {
        const WaylandOutput* output = m_client->surfaceOutput;
        qCInfo(lcPlatformDisplay, "Island shown on %s at scale %g",
            output ? qUtf8Printable(output->name) : "the compositor's output", scale());
    }
    m_configured = true;
    m_frameWanted = true;
    renderFrame();
    reportVisibility();
}

void WaylandIslandPanel::handleClosed()
{
    qCInfo(lcPlatformDisplay, "The compositor closed the island's surface (its output went away?)");
    destroySurface();
    reportVisibility();
}

void WaylandIslandPanel::handleFrameDone()
{
    if (m_frameWanted)
        renderFrame();
}

void WaylandIslandPanel::handleOutputsChanged()
{
    if (m_client->layerSurface && !m_client->surfaceOutput) {
        // Ours went away: the compositor closes the surface; make it anew on
        // the output the frame now lies on.
        destroySurface();
        if (m_shown)
            createSurface();
        reportVisibility();
    }
    scheduleFrame();
}

void WaylandIslandPanel::handlePreferredScale(qreal scale)
{
    if (scale <= 0 || m_preferredScale == scale)
        return;
    m_preferredScale = scale;
    qCInfo(lcPlatformDisplay, "Island drawn at the compositor's preferred scale %g", scale);
    scheduleFrame();
}

void WaylandIslandPanel::scheduleFrame()
{
    m_frameWanted = true;
    if (m_frameScheduled || !m_configured)
        return;
    // Coalesces a burst of changes into one frame, after the event loop
    // settled them.
    m_frameScheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_frameScheduled = false;
        renderFrame();
    });
}

void WaylandIslandPanel::renderFrame()
{
    if (!m_frameWanted || !m_configured || !m_client->surface || m_client->frameCallback || m_frame.isEmpty())
        return;
    const qreal ratio = scale();
    const int integerScale = m_client->viewport ? 1 : std::max(1, int(std::ceil(ratio)));
    const qreal renderRatio = m_client->viewport ? ratio : integerScale;
    const QSize pixels(int(std::lround(m_frame.width() * renderRatio)), int(std::lround(m_frame.height() * renderRatio)));
    WaylandShmBuffer* buffer = m_client->freeBuffer(pixels);
    if (!buffer)
        return; // both in the compositor's hands: a release brings the next frame
    m_frameWanted = false;

    // The software renderer repaints only what changed since its last frame
    // into the same image, so the image persists across frames.
    QImage previous;
    if (m_scene.size() == pixels && m_scene.devicePixelRatio() == renderRatio) {
        previous = m_scene.copy();
    } else {
        m_scene = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        m_scene.setDevicePixelRatio(renderRatio);
        m_scene.fill(Qt::transparent);
        QQuickRenderTarget target = QQuickRenderTarget::fromPaintDevice(&m_scene);
        target.setDevicePixelRatio(renderRatio);
        m_window->setRenderTarget(target);
    }
    m_renderControl->polishItems();
    m_renderControl->beginFrame();
    m_renderControl->sync();
    m_renderControl->render();
    m_renderControl->endFrame();

    // The changed rows, and within them the changed columns.
    QRect changed;
    if (previous.isNull()) {
        changed = QRect(QPoint(0, 0), pixels);
    } else {
        const qsizetype rowBytes = qsizetype(pixels.width()) * 4;
        for (int y = 0; y < pixels.height(); ++y) {
            const auto* now = reinterpret_cast<const quint32*>(m_scene.constScanLine(y));
            const auto* before = reinterpret_cast<const quint32*>(previous.constScanLine(y));
            if (std::memcmp(now, before, size_t(rowBytes)) == 0)
                continue;
            int left = 0;
            while (now[left] == before[left])
                ++left;
            int right = pixels.width() - 1;
            while (now[right] == before[right])
                --right;
            changed |= QRect(left, y, right - left + 1, 1);
        }
    }
    for (WaylandShmBuffer& each : m_client->buffers)
        each.stale += changed;
    if (changed.isEmpty() && !previous.isNull() && !std::exchange(m_stateChanged, false)) {
        // Nothing the user could see changed: no commit, no frame.
        return;
    }
    m_stateChanged = false;
    for (const QRect& rect : buffer->stale) {
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            std::memcpy(buffer->image.scanLine(y) + rect.left() * 4, m_scene.constScanLine(y) + rect.left() * 4,
                size_t(rect.width()) * 4);
    }
    buffer->stale = QRegion();
    buffer->busy = true;

    wl_surface_set_buffer_scale(m_client->surface, integerScale);
    wl_surface_attach(m_client->surface, buffer->buffer, 0, 0);
    const QRect damage = changed.isEmpty() ? QRect(QPoint(0, 0), pixels) : changed;
    wl_surface_damage_buffer(m_client->surface, damage.x(), damage.y(), damage.width(), damage.height());
    m_client->frameCallback = wl_surface_frame(m_client->surface);
    wl_callback_add_listener(m_client->frameCallback, &waylandFrameListener, m_client.get());
    wl_surface_commit(m_client->surface);
    flush();
}

void WaylandIslandPanel::handlePointerEnter(uint32_t, QPointF position)
{
    qCDebug(lcPlatformDisplay, "The pointer entered the island at %g,%g", position.x(), position.y());
    m_pointer = position;
    m_movedSinceEnter = false;
    QEnterEvent enter(position, position, m_frame.topLeft() + position);
    QCoreApplication::sendEvent(m_window, &enter);
    Q_EMIT events().hoverChanged(true);
}

void WaylandIslandPanel::handlePointerLeave()
{
    qCDebug(lcPlatformDisplay, "The pointer left the island");
    m_buttons = Qt::NoButton;
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(m_window, &leave);
    Q_EMIT events().hoverChanged(false);
}

void WaylandIslandPanel::handlePointerMotion(QPointF position)
{
    m_pointer = position;
    sendMouse(QEvent::MouseMove, Qt::NoButton);
    if (!std::exchange(m_movedSinceEnter, true))
        Q_EMIT events().pointerMoved();
}

void WaylandIslandPanel::handlePointerButton(uint32_t serial, uint32_t button, bool pressed)
{
    if (pressed)
        m_pressSerial = serial;
    Qt::MouseButton qtButton = Qt::NoButton;
    switch (button) {
    case BTN_LEFT:
        qtButton = Qt::LeftButton;
        break;
    case BTN_RIGHT:
        qtButton = Qt::RightButton;
        break;
    case BTN_MIDDLE:
        qtButton = Qt::MiddleButton;
        break;
    default:
        return;
    }
    qCDebug(lcPlatformDisplay, "Pointer button %u %s at %g,%g", button, pressed ? "pressed" : "released", m_pointer.x(),
        m_pointer.y());
    m_buttons.setFlag(qtButton, pressed);
    sendMouse(pressed ? QEvent::MouseButtonPress : QEvent::MouseButtonRelease, qtButton);
}

void WaylandIslandPanel::handlePointerAxis(bool vertical, qreal value)
{
    // Ten surface units are one notch of a wheel, which Qt counts as 120;
    // Wayland's positive is down or right, Qt's is up or left.
    const QPoint angle = vertical ? QPoint(0, int(-value * 12)) : QPoint(int(-value * 12), 0);
    QWheelEvent wheel(
        m_pointer, m_frame.topLeft() + m_pointer, QPoint(), angle, m_buttons, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(m_window, &wheel);
}

void WaylandIslandPanel::sendMouse(QEvent::Type type, Qt::MouseButton button)
{
    QMouseEvent event(type, m_pointer, m_pointer, m_frame.topLeft() + m_pointer, button, m_buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(m_window, &event);
}

void WaylandIslandPanel::handleDragEnter(bool droppable)
{
    qCDebug(lcPlatformDisplay, "A drag entered the island (%s)", droppable ? "droppable" : "nothing to take");
    if (!droppable)
        return;
    m_dragInside = true;
    Q_EMIT events().dropTargetChanged(true);
    flush();
}

void WaylandIslandPanel::handleDragLeave()
{
    if (std::exchange(m_dragInside, false))
        Q_EMIT events().dropTargetChanged(false);
}

void WaylandIslandPanel::handleDrop(const QMimeData& data)
{
    m_dragInside = false;
    bool accepted = false;
    if (!data.formats().isEmpty())
        Q_EMIT events().dropped(data, &accepted);
    else
        Q_EMIT events().dropTargetChanged(false);
}

void WaylandIslandPanel::start(QQuickItem* source, QMimeData* data, const QImage& preview)
{
    if (!source || source->window() != m_window) {
        m_qtDrag->start(source, data, preview);
        return;
    }
    std::unique_ptr<QMimeData> owned(data);
    if (!m_client->dataDevice || !m_client->surface || !m_buttons.testFlag(Qt::LeftButton)) {
        qCInfo(lcPlatformDisplay, "No drag out of the island: no data device, or no press holds the pointer");
        return;
    }
    m_client->endDragOut();
    m_client->dragSource = wl_data_device_manager_create_data_source(m_client->dataDeviceManager);
    wl_data_source_add_listener(m_client->dragSource, &waylandSourceListener, m_client.get());
    for (const QString& format : owned->formats())
        wl_data_source_offer(m_client->dragSource, format.toUtf8().constData());
    if (wl_data_source_get_version(m_client->dragSource) >= 3)
        wl_data_source_set_actions(m_client->dragSource, WL_DATA_DEVICE_MANAGER_DND_ACTION_COPY);
    const QString formats = owned->formats().join(QLatin1Char(' '));
    m_client->dragData = std::move(owned);
    wl_data_device_start_drag(m_client->dataDevice, m_client->dragSource, m_client->surface, nullptr, m_pressSerial);
    qCDebug(lcPlatformDisplay, "Drag out of the island started, offering %s", qPrintable(formats));
    // The compositor holds the pointer now: the press that started the drag
    // is no click.
    if (QQuickItem* grabber = m_window->mouseGrabberItem())
        grabber->ungrabMouse();
    m_buttons = Qt::NoButton;
    flush();
}
