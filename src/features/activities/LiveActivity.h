#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <optional>

/// One activity another program posted: what it shows and who may change it.
/// Times are wall-clock milliseconds since the Unix epoch, as callers send them.
struct LiveActivity {
    /// What the trailing side of the closed island counts or measures.
    enum class Value { none, countdown, elapsed, progress };

    quint32 id = 0;
    /// The connection that started it.
    QString caller;
    QString appId;
    QString title;
    QString subtitle;
    /// A symbol of the island's catalog or an icon name of the desktop's theme.
    QString symbol;
    std::optional<double> progress;
    std::optional<qint64> endsAtMs;
    std::optional<qint64> startedAtMs;
    /// "#rrggbb", or empty for the island's white.
    QString accent;
    QStringList actions;
    /// Ends with its caller's connection; anyone may change one not owned.
    bool owned = true;
    /// Every hint accepted so far, newest value of each, for listings.
    QVariantMap hints;

    /// A countdown before a counter before a progress.
    Value value() const;
    /// The countdown has reached zero.
    bool isDone(qint64 nowMs) const { return endsAtMs && nowMs >= *endsAtMs; }
    /// "4:59" (rounded up, so a fresh five minutes reads "5:00"), "1:02:03",
    /// "Done", an elapsed "0:42" (rounded down), "40%", or empty.
    QString valueText(qint64 nowMs) const;
    /// How long until the value text changes; none for a text that stays.
    std::optional<qint64> untilTextChanges(qint64 nowMs) const;

    /// "m:ss" below an hour, "h:mm:ss" from there.
    static QString durationText(qint64 seconds);
};
