#include "SaveFile.h"

namespace SaveFile {

bool writeAndCommit(QSaveFile& file, const QByteArray& bytes, QString* error)
{
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    if (written && file.commit())
        return true;
    if (error)
        *error = file.errorString();
    if (!written)
        file.cancelWriting();
    return false;
}

} // namespace SaveFile
