#pragma once

#include <QDateTime>
#include <QJsonValue>
#include <QUrl>
#include <QUuid>

#include <optional>

/// One file on the shelf.
struct ShelfItem {
    /// Also the key of the item's preview.
    QUuid id;
    /// The file's location, standardized (see `standardized`).
    QUrl url;
    QDateTime addedAt;
    /// The shelf wrote the file from a dropped image or text, and deletes it
    /// when the item leaves.
    bool isTemporary = false;

    /// The local path with "." and ".." resolved; links are not followed.
    static QUrl standardized(const QUrl& url);

    friend bool operator==(const ShelfItem&, const ShelfItem&) = default;
};

/// The stored form of an item in "shelf.json": the file as a bookmark.
struct StoredShelfItem {
    QUuid id;
    QByteArray bookmark;
    QDateTime addedAt;
    bool isTemporary = false;

    /// "addedAt" in seconds since 2001-01-01 UTC, "bookmark" in Base64.
    QJsonValue toJson() const;
    /// Absent, with `error` set, when a key is missing or mistyped.
    static std::optional<StoredShelfItem> fromJson(const QJsonValue& value, QString& error);
};
