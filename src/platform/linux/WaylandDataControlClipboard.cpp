#include "WaylandDataControlClipboard.h"

#include "PlatformLog.h"
#include "X11Clipboard.h"

#include "wlr-data-control-unstable-v1-client-protocol.h"

#include <QSocketNotifier>
#include <QTimer>

#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

// The protocol's callbacks, and what they share, as members of a nested type
// so that they reach the clipboard's state without a file-wide namespace.
struct WaylandDataControlClipboard::Listeners {
    static WaylandDataControlClipboard* self(void* data) { return static_cast<WaylandDataControlClipboard*>(data); }

    static void global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t)
    {
        WaylandDataControlClipboard* clipboard = self(data);
        if (std::strcmp(interface, wl_seat_interface.name) == 0 && !clipboard->m_seat) {
            clipboard->m_seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
        } else if (std::strcmp(interface, zwlr_data_control_manager_v1_interface.name) == 0 && !clipboard->m_manager) {
            // Version 1: version 2 adds only the primary selection, which the
            // history leaves alone.
            clipboard->m_manager = static_cast<zwlr_data_control_manager_v1*>(
                wl_registry_bind(registry, name, &zwlr_data_control_manager_v1_interface, 1));
        }
    }
    static void globalRemove(void*, wl_registry*, uint32_t) { }

    static void dataOffer(void* data, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1* offer)
    {
        self(data)->m_offers.insert(offer, {});
        zwlr_data_control_offer_v1_add_listener(offer, &offerListener, data);
    }
    static void selection(void* data, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1* offer)
    {
        self(data)->onSelection(offer);
    }
    static void finished(void* data, zwlr_data_control_device_v1* device)
    {
        zwlr_data_control_device_v1_destroy(device);
        self(data)->m_device = nullptr;
        self(data)->lose("the seat is gone");
    }
    static void offerType(void* data, zwlr_data_control_offer_v1* offer, const char* type)
    {
        QStringList& types = self(data)->m_offers[offer];
        const QString name = QString::fromUtf8(type);
        if (!types.contains(name))
            types.append(name);
    }
    static void send(void* data, zwlr_data_control_source_v1* source, const char* type, int32_t fd)
    {
        self(data)->answer(source, type, fd);
    }
    static void cancelled(void* data, zwlr_data_control_source_v1* source)
    {
        self(data)->m_sources.remove(source);
        zwlr_data_control_source_v1_destroy(source);
    }

    // A reader that goes away costs the transfer, not the program: SIGPIPE
    // is held back for this one write and taken if it came.
    static ssize_t writeWithoutSigpipe(int fd, const char* bytes, size_t size)
    {
        sigset_t pipeSignal;
        sigset_t previous;
        sigset_t pending;
        sigemptyset(&pipeSignal);
        sigaddset(&pipeSignal, SIGPIPE);
        sigpending(&pending);
        const bool wasPending = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
        const ssize_t written = ::write(fd, bytes, size);
        const int error = errno;
        if (written < 0 && error == EPIPE && !wasPending) {
            const timespec none {};
            sigtimedwait(&pipeSignal, nullptr, &none);
        }
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        errno = error;
        return written;
    }

    static const wl_registry_listener registryListener;
    static const zwlr_data_control_device_v1_listener deviceListener;
    static const zwlr_data_control_offer_v1_listener offerListener;
    static const zwlr_data_control_source_v1_listener sourceListener;
};

const wl_registry_listener WaylandDataControlClipboard::Listeners::registryListener { global, globalRemove };
const zwlr_data_control_device_v1_listener WaylandDataControlClipboard::Listeners::deviceListener { dataOffer, selection,
    finished };
const zwlr_data_control_offer_v1_listener WaylandDataControlClipboard::Listeners::offerListener { offerType };
const zwlr_data_control_source_v1_listener WaylandDataControlClipboard::Listeners::sourceListener { send, cancelled };

/// One receive in flight: the read end of its pipe, and the bound on the
/// copying program's silence.
struct WaylandDataControlClipboard::Transfer {
    QByteArray type;
    qsizetype bound = 0;
    int fd = -1;
    QByteArray data;
    QSocketNotifier* notifier = nullptr;
    QTimer* timer = nullptr;
    ~Transfer()
    {
        // Ended from their own signals: deleted once those return.
        notifier->setEnabled(false);
        notifier->deleteLater();
        timer->stop();
        timer->deleteLater();
        ::close(fd);
    }
};

/// One answer to a reader that does not take it all at once.
struct WaylandDataControlClipboard::Outgoing {
    int fd = -1;
    QByteArray data;
    qsizetype written = 0;
    QSocketNotifier* notifier = nullptr;
    ~Outgoing()
    {
        if (notifier) {
            notifier->setEnabled(false);
            notifier->deleteLater();
        }
        ::close(fd);
    }
};

WaylandDataControlClipboard::WaylandDataControlClipboard(const QByteArray& display, QObject* parent)
    : SystemClipboard(parent)
{
    m_display = wl_display_connect(display.isEmpty() ? nullptr : display.constData());
    if (!m_display) {
        qCWarning(lcPlatformClipboard, "No Wayland compositor for the clipboard; copies are not noticed");
        return;
    }
    // Round trips at start-up only: the globals, then the selection as it
    // stands, which is no copy of the user's since we started.
    m_registry = wl_display_get_registry(m_display);
    wl_registry_add_listener(m_registry, &Listeners::registryListener, this);
    if (wl_display_roundtrip(m_display) >= 0 && m_seat && m_manager) {
        m_device = zwlr_data_control_manager_v1_get_data_device(m_manager, m_seat);
        zwlr_data_control_device_v1_add_listener(m_device, &Listeners::deviceListener, this);
    }
    if (!m_device || wl_display_roundtrip(m_display) < 0) {
        qCWarning(lcPlatformClipboard, "The compositor offers no data control for the clipboard; copies are not noticed");
        closeConnection();
        return;
    }
    m_firstSelection = false;
    const int fd = wl_display_get_fd(m_display);
    m_readable = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_readable, &QSocketNotifier::activated, this, &WaylandDataControlClipboard::serviceConnection);
    m_writable = new QSocketNotifier(fd, QSocketNotifier::Write, this);
    m_writable->setEnabled(false);
    connect(m_writable, &QSocketNotifier::activated, this, &WaylandDataControlClipboard::flush);
}

WaylandDataControlClipboard::~WaylandDataControlClipboard()
{
    m_transfer.reset();
    m_outgoing.clear();
    closeConnection();
}

void WaylandDataControlClipboard::closeConnection()
{
    delete m_readable;
    m_readable = nullptr;
    delete m_writable;
    m_writable = nullptr;
    if (!m_display)
        return;
    for (auto offer = m_offers.keyBegin(); offer != m_offers.keyEnd(); ++offer)
        zwlr_data_control_offer_v1_destroy(*offer);
    m_offers.clear();
    m_selection = nullptr;
    for (auto source = m_sources.keyBegin(); source != m_sources.keyEnd(); ++source)
        zwlr_data_control_source_v1_destroy(*source);
    m_sources.clear();
    if (m_device)
        zwlr_data_control_device_v1_destroy(m_device);
    m_device = nullptr;
    if (m_manager)
        zwlr_data_control_manager_v1_destroy(m_manager);
    m_manager = nullptr;
    if (m_seat)
        wl_seat_destroy(m_seat);
    m_seat = nullptr;
    wl_registry_destroy(m_registry);
    m_registry = nullptr;
    wl_display_disconnect(m_display);
    m_display = nullptr;
}

void WaylandDataControlClipboard::serviceConnection()
{
    while (!m_lost && wl_display_prepare_read(m_display) != 0) {
        if (wl_display_dispatch_pending(m_display) < 0)
            return lose(std::strerror(wl_display_get_error(m_display)));
    }
    if (m_lost)
        return;
    // The notifier saw input: this read does not wait.
    if (wl_display_read_events(m_display) < 0 || wl_display_dispatch_pending(m_display) < 0)
        return lose(std::strerror(wl_display_get_error(m_display)));
    flush();
}

bool WaylandDataControlClipboard::flush()
{
    if (m_lost || !m_display)
        return false;
    if (wl_display_flush(m_display) >= 0) {
        m_writable->setEnabled(false);
        return true;
    }
    if (errno == EAGAIN) {
        // The socket is full: the rest goes when it takes more.
        m_writable->setEnabled(true);
        return true;
    }
    lose(std::strerror(errno));
    return false;
}

void WaylandDataControlClipboard::lose(const char* why)
{
    if (m_lost)
        return;
    m_lost = true;
    qCWarning(lcPlatformClipboard, "Lost the compositor's clipboard (%s); copies are no longer noticed", why);
    if (m_readable)
        m_readable->setEnabled(false);
    if (m_writable)
        m_writable->setEnabled(false);
    if (m_reading) {
        m_transfer.reset();
        m_reading->contents = {};
        finishRead();
    }
}

void WaylandDataControlClipboard::onSelection(zwlr_data_control_offer_v1* offer)
{
    zwlr_data_control_offer_v1* previous = m_selection;
    m_selection = offer;
    // The offer a read is taking stays until the read ends.
    if (previous && previous != offer && !(m_reading && m_reading->offer == previous))
        destroyOffer(previous);
    if (m_firstSelection)
        return;
    ++m_changeCount;
    qCDebug(lcPlatformClipboard, "The selection changed (change %d)", m_changeCount);
    QMetaObject::invokeMethod(
        this, [this] { Q_EMIT changed(); }, Qt::QueuedConnection);
}

void WaylandDataControlClipboard::destroyOffer(zwlr_data_control_offer_v1* offer)
{
    m_offers.remove(offer);
    zwlr_data_control_offer_v1_destroy(offer);
}

void WaylandDataControlClipboard::read(ReadHandler done)
{
    m_requests.push_back(std::move(done));
    startNextRead();
}

void WaylandDataControlClipboard::startNextRead()
{
    while (!m_reading && !m_requests.empty()) {
        ReadHandler done = std::move(m_requests.front());
        m_requests.pop_front();
        if (!m_device || m_lost || !m_selection) {
            QMetaObject::invokeMethod(
                this, [done = std::move(done)] { done({}); }, Qt::QueuedConnection);
            continue;
        }
        // No protocol tells another client which application is in front,
        // so a copy's source application stays unknown here.
        m_reading = Reading { std::move(done), m_selection, m_offers.value(m_selection), {}, {}, {} };
        stepRead();
    }
}

void WaylandDataControlClipboard::stepRead()
{
    Reading& reading = *m_reading;
    // The kind as X11 decides it. A marker value not fetched yet is fetched
    // first (one at a time, in the order the decision asks for them), then
    // the decision is made again.
    QByteArray wanted;
    const Kind kind = X11Clipboard::kindOf(reading.types, [&](const char* type) {
        const auto known = reading.markers.constFind(QByteArray(type));
        if (known != reading.markers.cend())
            return *known;
        if (wanted.isEmpty())
            wanted = type;
        return QByteArray();
    });
    if (!wanted.isEmpty())
        return receive(wanted, X11Clipboard::markerBoundBytes);
    reading.contents.kind = kind;
    if (kind == Kind::plain) {
        for (const char* type : { "text/plain;charset=utf-8", "UTF8_STRING", "text/plain", "STRING" }) {
            if (reading.types.contains(QLatin1String(type))) {
                reading.textType = type;
                return receive(reading.textType, X11Clipboard::textBoundBytes);
            }
        }
    }
    finishRead();
}

void WaylandDataControlClipboard::receive(const QByteArray& type, qsizetype bound)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        qCWarning(lcPlatformClipboard, "Unable to make a pipe to read the clipboard: %s", std::strerror(errno));
        return finishRead();
    }
    zwlr_data_control_offer_v1_receive(m_reading->offer, type.constData(), fds[1]);
    ::close(fds[1]); // the request carries a duplicate
    m_transfer = std::make_unique<Transfer>();
    m_transfer->type = type;
    m_transfer->bound = bound;
    m_transfer->fd = fds[0];
    m_transfer->notifier = new QSocketNotifier(fds[0], QSocketNotifier::Read, this);
    connect(m_transfer->notifier, &QSocketNotifier::activated, this, &WaylandDataControlClipboard::onTransferReadable);
    m_transfer->timer = new QTimer(this);
    m_transfer->timer->setSingleShot(true);
    m_transfer->timer->callOnTimeout(this, [this] { endTransfer(true); });
    m_transfer->timer->start(X11Clipboard::answerBoundMs);
    flush(); // a lost connection ends the read here
}

void WaylandDataControlClipboard::onTransferReadable()
{
    Transfer& transfer = *m_transfer;
    char buffer[64 * 1024];
    for (;;) {
        const qsizetype room = std::min<qsizetype>(sizeof buffer, transfer.bound + 1 - transfer.data.size());
        const ssize_t got = ::read(transfer.fd, buffer, size_t(room));
        if (got > 0) {
            transfer.data.append(buffer, got);
            if (transfer.data.size() > transfer.bound)
                return endTransfer(false); // over the bound: the rest is left unread
            transfer.timer->start(); // the bound is on silence, as for X11's pieces
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && errno == EAGAIN)
            return;
        if (got < 0)
            qCWarning(lcPlatformClipboard, "Reading the clipboard failed: %s", std::strerror(errno));
        return endTransfer(false);
    }
}

void WaylandDataControlClipboard::endTransfer(bool timedOut)
{
    const std::unique_ptr<Transfer> transfer = std::move(m_transfer);
    Reading& reading = *m_reading;
    if (timedOut) {
        qCDebug(lcPlatformClipboard, "The copying program did not send %s in time", transfer->type.constData());
        reading.contents.timedOut = true;
        return finishRead();
    }
    if (transfer->type != reading.textType) {
        reading.markers.insert(transfer->type, transfer->data);
        return stepRead();
    }
    if (transfer->data.size() > transfer->bound)
        reading.contents.isTooLong = true;
    else if (transfer->type == "STRING")
        reading.contents.text = QString::fromLatin1(transfer->data);
    else
        reading.contents.text = QString::fromUtf8(transfer->data);
    finishRead();
}

void WaylandDataControlClipboard::finishRead()
{
    Reading reading = std::move(*m_reading);
    m_reading.reset();
    if (reading.offer != m_selection && m_offers.contains(reading.offer))
        destroyOffer(reading.offer);
    QMetaObject::invokeMethod(
        this, [done = std::move(reading.done), contents = reading.contents] { done(contents); }, Qt::QueuedConnection);
    startNextRead();
}

bool WaylandDataControlClipboard::writeText(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return offerSelection({ { "text/plain;charset=utf-8", utf8 }, { "text/plain", utf8 }, { "UTF8_STRING", utf8 },
        { "TEXT", utf8 }, { "STRING", text.toLatin1() }, { X11Clipboard::ownWriteType, "1" } });
}

bool WaylandDataControlClipboard::writeFiles(const QList<QUrl>& files)
{
    // As QMimeData writes a URL list, and GNOME's file managers theirs.
    QByteArray uris;
    QByteArray copied("copy");
    for (const QUrl& file : files) {
        uris += file.toEncoded() + "\r\n";
        copied += '\n' + file.toEncoded();
    }
    return offerSelection({ { "text/uri-list", uris }, { "x-special/gnome-copied-files", copied } });
}

bool WaylandDataControlClipboard::offerSelection(const TypedData& data)
{
    if (!m_device || m_lost)
        return false;
    zwlr_data_control_source_v1* source = zwlr_data_control_manager_v1_create_data_source(m_manager);
    zwlr_data_control_source_v1_add_listener(source, &Listeners::sourceListener, this);
    for (const auto& [type, bytes] : data)
        zwlr_data_control_source_v1_offer(source, type.constData());
    m_sources.insert(source, data);
    zwlr_data_control_device_v1_set_selection(m_device, source);
    return flush();
}

void WaylandDataControlClipboard::answer(zwlr_data_control_source_v1* source, const char* type, int fd)
{
    auto outgoing = std::make_unique<Outgoing>();
    outgoing->fd = fd;
    const TypedData data = m_sources.value(source);
    const auto offered = std::find_if(data.cbegin(), data.cend(), [&](const auto& entry) { return entry.first == type; });
    if (offered == data.cend())
        return; // not a type we offered: closing tells the reader so
    outgoing->data = offered->second;
    // Never wait on a slow reader: what its pipe does not take now goes when
    // it does.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    if (continueOutgoing(outgoing.get()))
        return;
    Outgoing* pending = outgoing.get();
    pending->notifier = new QSocketNotifier(fd, QSocketNotifier::Write, this);
    connect(pending->notifier, &QSocketNotifier::activated, this, [this, pending] {
        if (!continueOutgoing(pending))
            return;
        std::erase_if(m_outgoing, [&](const auto& entry) { return entry.get() == pending; });
    });
    m_outgoing.push_back(std::move(outgoing));
}

bool WaylandDataControlClipboard::continueOutgoing(Outgoing* outgoing)
{
    while (outgoing->written < outgoing->data.size()) {
        const ssize_t written = Listeners::writeWithoutSigpipe(
            outgoing->fd, outgoing->data.constData() + outgoing->written, size_t(outgoing->data.size() - outgoing->written));
        if (written > 0) {
            outgoing->written += written;
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && errno == EAGAIN)
            return false;
        // A reader that closed early wanted no more.
        if (errno != EPIPE)
            qCWarning(lcPlatformClipboard, "Unable to give the clipboard to a program: %s", std::strerror(errno));
        return true;
    }
    return true;
}
