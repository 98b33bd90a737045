#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>

namespace SaveFile {

/// Writes `bytes` to the open `file` and commits it. False, with `error`
/// filled, when any part failed; the old file then stays as it was. The
/// buffer is flushed and checked before the commit: Qt 6.4's commit() does
/// not notice a flush that fails (a full disk, the file size limit) and
/// would put a truncated file in the old one's place.
bool writeAndCommit(QSaveFile& file, const QByteArray& bytes, QString* error = nullptr);

} // namespace SaveFile
