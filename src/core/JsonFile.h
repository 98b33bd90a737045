#pragma once

#include <QJsonDocument>
#include <QString>

#include <optional>

namespace JsonFile {

/// Writes `doc` to `path` whole and atomically (write to a temporary file,
/// then rename). The folder is created with mode 0700 and the file gets
/// mode 0600. Returns false and fills `error` on failure; the old file is
/// then left untouched.
bool write(const QString& path, const QJsonDocument& doc, QString* error = nullptr,
    QJsonDocument::JsonFormat format = QJsonDocument::Indented);

/// Reads and parses `path`. A missing file gives an empty optional with an
/// empty `error`; an unreadable or unparsable one fills `error`.
std::optional<QJsonDocument> read(const QString& path, QString* error = nullptr);

/// Renames an unreadable `path` to "<path>.corrupt" (or ".corrupt.N" when
/// taken), so the next save does not destroy what it held. The new name, or
/// nothing when the rename failed.
std::optional<QString> keepAside(const QString& path);

} // namespace JsonFile
