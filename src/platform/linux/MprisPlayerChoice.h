#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

/// Which of the session's players is shown: a preferred player that plays;
/// else the one that most recently started playing; else, when none plays,
/// the one that most recently paused. Ignored players are never chosen.
/// Players are keyed by their unique bus name, so one program owning several
/// well-known names counts once.
class MprisPlayerChoice {
public:
    enum class Status { unknown, playing, paused, stopped };

    void add(const QString& owner, const QString& name);
    void remove(const QString& owner);
    void setStatus(const QString& owner, Status status);
    void setPreferences(const QString& preferred, const QStringList& ignored);

    /// The unique name of the chosen player; empty when none.
    QString chosen() const;
    /// The names present, sorted, each once.
    QStringList names() const;

private:
    struct Entry {
        QString name;
        Status status = Status::unknown;
        quint64 startedPlaying = 0;
        quint64 paused = 0;
    };

    QHash<QString, Entry> m_entries;
    quint64 m_sequence = 0;
    QString m_preferred;
    QStringList m_ignored;
};
