#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

/// A token from which a file can be found again after it was renamed or
/// moved within its folder tree: its path, device and inode, and its size
/// and modification time to tell a reused inode apart. Both functions touch
/// the disk (resolving may search folders): never call them on the GUI thread.
namespace FileBookmark {

/// The token for the file at `path`; absent when the file cannot be examined.
std::optional<QByteArray> make(const QString& path);

/// Where the file of `token` is now: the path when it still names the same
/// file, else the same file found within its former folder and the folders
/// above it up to `homeFolder`, else the path when something exists there.
/// Absent when the token does not decode or nothing is found.
std::optional<QString> resolve(const QByteArray& token, const QString& homeFolder);

} // namespace FileBookmark
