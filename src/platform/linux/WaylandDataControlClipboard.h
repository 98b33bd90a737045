#pragma once

#include "SystemClipboard.h"

#include <QByteArray>
#include <QHash>
#include <QStringList>

#include <deque>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QSocketNotifier;
struct wl_display;
struct wl_registry;
struct wl_seat;
struct zwlr_data_control_device_v1;
struct zwlr_data_control_manager_v1;
struct zwlr_data_control_offer_v1;
struct zwlr_data_control_source_v1;

/// The clipboard of a Wayland session through wlroots' data control protocol
/// (sway and other wlroots compositors, KWin, Hyprland), on a connection of
/// its own. The island never has keyboard focus, so QClipboard cannot set the
/// selection there; data control reads and writes it without focus. Served
/// from the GUI thread's event loop without ever waiting: the connection and
/// every transfer's pipe are watched by socket notifiers, and a read gives up
/// when the copying program does not answer within the bound. The rules are
/// X11Clipboard's.
class WaylandDataControlClipboard final : public SystemClipboard {
    Q_OBJECT
public:
    /// Connects to `display` (empty: $WAYLAND_DISPLAY; an absolute path names
    /// the socket). Without a compositor, or without data control, the
    /// counter never moves, reads find nothing and writes fail.
    explicit WaylandDataControlClipboard(const QByteArray& display = {}, QObject* parent = nullptr);
    ~WaylandDataControlClipboard() override;
    WaylandDataControlClipboard(const WaylandDataControlClipboard&) = delete;
    WaylandDataControlClipboard& operator=(const WaylandDataControlClipboard&) = delete;

    int changeCount() const override { return m_changeCount; }
    void read(ReadHandler done) override;
    bool writeText(const QString& text) override;
    bool writeFiles(const QList<QUrl>& files) override;

private:
    struct Listeners;
    struct Transfer;
    struct Outgoing;
    using TypedData = QList<std::pair<QByteArray, QByteArray>>;

    void closeConnection();
    void serviceConnection();
    bool flush();
    void lose(const char* why);
    bool offerSelection(const TypedData& data);
    void answer(zwlr_data_control_source_v1* source, const char* type, int fd);
    /// True once the answer is written or dropped.
    bool continueOutgoing(Outgoing* outgoing);
    void onSelection(zwlr_data_control_offer_v1* offer);
    void startNextRead();
    void stepRead();
    void receive(const QByteArray& type, qsizetype bound);
    void onTransferReadable();
    void endTransfer(bool timedOut);
    void finishRead();
    void destroyOffer(zwlr_data_control_offer_v1* offer);

    wl_display* m_display = nullptr;
    wl_registry* m_registry = nullptr;
    wl_seat* m_seat = nullptr;
    zwlr_data_control_manager_v1* m_manager = nullptr;
    zwlr_data_control_device_v1* m_device = nullptr;
    QSocketNotifier* m_readable = nullptr;
    QSocketNotifier* m_writable = nullptr;
    bool m_lost = false;
    bool m_firstSelection = true;
    int m_changeCount = 0;
    // Offers introduced and not yet destroyed, with their types.
    QHash<zwlr_data_control_offer_v1*, QStringList> m_offers;
    zwlr_data_control_offer_v1* m_selection = nullptr;
    // Our sources, until the compositor cancels them.
    QHash<zwlr_data_control_source_v1*, TypedData> m_sources;
    // Answers to slow readers, written as their pipes take them.
    std::vector<std::unique_ptr<Outgoing>> m_outgoing;

    std::deque<ReadHandler> m_requests;
    // The read in flight: the offer it reads (kept while the selection
    // moves on), the marker values fetched so far, and one transfer.
    struct Reading {
        ReadHandler done;
        zwlr_data_control_offer_v1* offer = nullptr;
        QStringList types;
        QHash<QByteArray, QByteArray> markers;
        QByteArray textType;
        Contents contents;
    };
    std::optional<Reading> m_reading;
    std::unique_ptr<Transfer> m_transfer;
};
