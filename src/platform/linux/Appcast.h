#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

/// One release in an update feed: an RSS item with a version and a download.
struct AppcastItem {
    QString title;
    /// Compared with the running build number (BuildInfo::buildNumber).
    QString version;
    /// Shown to people; the version when the feed gives none.
    QString shortVersion;
    QUrl downloadURL;
    QUrl releaseNotesURL;

    friend bool operator==(const AppcastItem&, const AppcastItem&) = default;
};

/// Reading an RSS appcast (Sparkle's vocabulary: sparkle:version,
/// sparkle:shortVersionString and sparkle:releaseNotesLink on the item or
/// its enclosure).
namespace Appcast {

/// The feed's releases; items without a version or an https download are
/// skipped with a log line. Absent when the text is not an RSS document,
/// with the reason in `error`.
std::optional<QList<AppcastItem>> parse(const QByteArray& xml, QString* error = nullptr);
/// Numeric-aware comparison of dotted versions ("1.10" > "1.9", "2" == "2.0"):
/// negative, zero or positive.
int compareVersions(const QString& a, const QString& b);
/// The newest of `items` that is newer than `current`; absent when none is.
std::optional<AppcastItem> newestNewerThan(const QList<AppcastItem>& items, const QString& current);

} // namespace Appcast
