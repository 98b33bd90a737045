#pragma once

#include <QDBusConnection>
#include <QHash>
#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <cstdio>

class ArtworkCache;
class MprisPlayer;
class OrgFreedesktopDBusInterface;

/// Stream mode: follows every MPRIS player on the session bus, picks the
/// current one (the one that most recently started playing; when none
/// plays, the one that was current last) and writes its state as JSON
/// lines. Changes are debounced with a leading edge: an isolated change is
/// written at once, further changes inside the window become one line at
/// its end. A new player or track gets a whole payload, other changes diffs.
class StreamSession final : public QObject {
    Q_OBJECT
public:
    StreamSession(const QDBusConnection& bus, int debounceMs, FILE* out, QObject* parent = nullptr);
    ~StreamSession() override;
    Q_DISABLE_COPY_MOVE(StreamSession)

    void start();

public Q_SLOTS:
    /// The bus name of the player the stream shows; empty when none
    /// (answered over D-Bus for one-shot commands).
    QString CurrentPlayer() const;

private:
    void addPlayer(const QString& busName, const QString& owner);
    void removePlayer(const QString& busName);
    void nameOwnerChanged(const QString& name, const QString& oldOwner, const QString& newOwner);
    void chooseCurrent();
    void changed();
    void flush();
    void writeLine(const QJsonObject& object);

    QDBusConnection m_bus;
    int m_debounceMs;
    FILE* m_out;
    OrgFreedesktopDBusInterface* m_daemon;
    ArtworkCache* m_artwork;
    QHash<QString, MprisPlayer*> m_players;
    QHash<QString, quint64> m_startedPlaying;
    quint64 m_playSequence = 0;
    QPointer<MprisPlayer> m_current;
    QTimer m_window;
    bool m_dirty = false;
    bool m_sentAny = false;
    QString m_sentIdentity;
    QJsonObject m_sentPayload;
};
