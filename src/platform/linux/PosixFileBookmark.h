#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <optional>

/// The Linux form of a file bookmark: what `FileBookmark::make` stores and
/// how `FileBookmark::resolve` searches, open here for the platform's tests.
namespace PosixFileBookmark {

/// What a token holds. The path is kept as the file system's bytes, so a
/// name that is not valid UTF-8 survives.
struct Record {
    QByteArray path;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;

    bool operator==(const Record&) const = default;
};

/// The file at `path` as a record: stat(2), so a symbolic link stands for the
/// file it leads to while the link's own path is kept; a dangling link stands
/// for itself. Absent when neither can be examined.
std::optional<Record> examine(const QByteArray& path);

/// "BWB1", the path's length (32 bits) and bytes, then device, inode, size
/// and modification time in nanoseconds (64 bits each), big-endian.
QByteArray encode(const Record& record);
/// Absent unless `token` is exactly one well-formed record.
std::optional<Record> decode(const QByteArray& token);

/// How far a search for a moved file may go. A home folder holds far more
/// than the first 20,000 entries below the file's former folder, but a file
/// renamed or moved nearby is among them, and the search stays well under a
/// second on a cold disk.
struct SearchLimits {
    int entries = 20000;
    std::chrono::milliseconds time { 1000 };
};

/// `FileBookmark::resolve` with the bounds given.
std::optional<QString> resolve(const QByteArray& token, const QString& homeFolder, const SearchLimits& limits);

} // namespace PosixFileBookmark
