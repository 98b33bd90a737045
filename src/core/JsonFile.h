#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QList>
#include <QLoggingCategory>
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

/// Sets the unreadable list at `path` aside and logs, in `category`,
/// "Unable to read <what>: <error>" and where it was kept.
void setListAside(const QString& path, const QString& error, QMessageLogger::CategoryFunction category, const char* what);

/// The JSON array at `path`; empty for a missing file. A file that cannot be
/// read or holds no array is set aside (setListAside) and reads as empty.
QJsonArray readArray(const QString& path, QMessageLogger::CategoryFunction category, const char* what);

/// The list stored at `path`, each entry taken by `parse(value, error)`,
/// which gives nothing and fills `error` for an entry it cannot take. A
/// missing file is an empty list; an unreadable one, or one with an entry
/// that cannot be taken, is set aside rather than overwritten by the next
/// save (nothing the user had is destroyed silently) and reads as empty.
template <typename T, typename Parse>
QList<T> readList(const QString& path, QMessageLogger::CategoryFunction category, const char* what, Parse&& parse)
{
    QList<T> items;
    QString error;
    for (const QJsonValue& value : readArray(path, category, what)) {
        std::optional<T> item = parse(value, error);
        if (!item) {
            setListAside(path, error, category, what);
            return {};
        }
        items.append(std::move(*item));
    }
    return items;
}

} // namespace JsonFile
