#pragma once

#include <QDateTime>
#include <QJsonValue>
#include <QString>
#include <QUuid>

#include <optional>

/// One copied text in the history.
struct ClipboardItem {
    /// Kept when the entry is copied back.
    QUuid id;
    /// Exactly as it stood on the clipboard, not trimmed.
    QString text;
    /// When copied, or last copied back through the history.
    QDateTime copiedAt;
    /// The application in front when the copy was noticed.
    std::optional<QString> sourceAppName;

    /// What a row shows: the first 300 user-perceived characters, trimmed,
    /// every run of white space made one space.
    QString preview() const { return preview(text); }
    static QString preview(const QString& text);

    /// The history file's form: "copiedAt" in seconds since 2001-01-01 UTC.
    QJsonValue toJson() const;
    /// Absent, with `error` set, when a required key is missing or mistyped.
    static std::optional<ClipboardItem> fromJson(const QJsonValue& value, QString& error);

    friend bool operator==(const ClipboardItem&, const ClipboardItem&) = default;
};
