#include "PosixFileBookmark.h"

#include "FileBookmark.h"
#include "PlatformLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QtEndian>

#include <cstring>
#include <deque>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace PosixFileBookmark {

namespace {

constexpr char magic[] = "BWB1";
constexpr qsizetype magicSize = 4;
constexpr qsizetype fixedSize = magicSize + 4 + 4 * 8;

Record recordOf(const QByteArray& path, const struct stat& st)
{
    return Record { path, quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size),
        qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec };
}

// Same inode, and the same size and time so that a number the file system
// gave to a new file after the old one was deleted is not taken for it. A
// folder's size and time change with its entries, so a folder is known by
// its inode alone.
bool isSameFile(const Record& record, const struct stat& st)
{
    if (quint64(st.st_dev) != record.device || quint64(st.st_ino) != record.inode)
        return false;
    if (S_ISDIR(st.st_mode))
        return true;
    const Record now = recordOf(record.path, st);
    return now.size == record.size && now.modifiedNs == record.modifiedNs;
}

QByteArray parentOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

bool isFolder(const QByteArray& path)
{
    struct stat st;
    return ::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isWithin(const QByteArray& path, const QByteArray& folder)
{
    return path == folder || path.startsWith(folder + '/');
}

// Where to look, nearest first: the former folder (or what is left of it)
// and each folder above it up to the home folder; outside the home folder
// only the former folder and the one above it. The root is never searched.
QList<QByteArray> searchRoots(const QByteArray& path, const QByteArray& home)
{
    QList<QByteArray> roots;
    QByteArray folder = parentOf(path);
    if (home.size() > 1 && isWithin(folder, home)) {
        while (folder != home && !isFolder(folder))
            folder = parentOf(folder);
        if (!isFolder(folder))
            return roots;
        for (;; folder = parentOf(folder)) {
            roots << folder;
            if (folder == home)
                break;
        }
        return roots;
    }
    for (const QByteArray& candidate : { folder, parentOf(folder) }) {
        if (candidate != "/" && isFolder(candidate))
            roots << candidate;
    }
    return roots;
}

class Search {
public:
    Search(const Record& record, const SearchLimits& limits)
        : m_record(record)
        , m_entriesLeft(limits.entries)
        , m_deadline(std::chrono::steady_clock::now() + limits.time)
    {
    }

    bool isExhausted() const { return m_isExhausted; }

    // Breadth first below `root`, on the file's device only, never through a
    // symbolic link. A folder already searched (a nearer root, or the same
    // folder reached twice through a bind mount) is skipped.
    std::optional<QByteArray> below(const QByteArray& root)
    {
        std::deque<QByteArray> queue { root };
        bool isRoot = true;
        while (!queue.empty() && !m_isExhausted) {
            const QByteArray folder = std::move(queue.front());
            queue.pop_front();
            // The root may be reached through a link (the home folder often
            // is); folders below it are not.
            const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | (isRoot ? 0 : O_NOFOLLOW));
            isRoot = false;
            if (fd < 0)
                continue;
            struct stat st;
            if (::fstat(fd, &st) != 0 || quint64(st.st_dev) != m_record.device
                || m_searched.contains({ quint64(st.st_dev), quint64(st.st_ino) })) {
                ::close(fd);
                continue;
            }
            m_searched.insert({ quint64(st.st_dev), quint64(st.st_ino) });
            DIR* dir = ::fdopendir(fd);
            if (!dir) {
                ::close(fd);
                continue;
            }
            std::optional<QByteArray> found = scan(dir, folder, queue);
            ::closedir(dir);
            if (found)
                return found;
        }
        return std::nullopt;
    }

private:
    std::optional<QByteArray> scan(DIR* dir, const QByteArray& folder, std::deque<QByteArray>& queue)
    {
        while (const dirent* entry = ::readdir(dir)) {
            if (qstrcmp(entry->d_name, ".") == 0 || qstrcmp(entry->d_name, "..") == 0)
                continue;
            if (--m_entriesLeft < 0 || std::chrono::steady_clock::now() > m_deadline) {
                m_isExhausted = true;
                return std::nullopt;
            }
            // Only a possible match or a folder is worth a stat.
            const bool mayBeFolder = entry->d_type == DT_DIR || entry->d_type == DT_UNKNOWN;
            if (quint64(entry->d_ino) != m_record.inode && !mayBeFolder)
                continue;
            struct stat st;
            if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            const QByteArray path = folder + '/' + entry->d_name;
            if (isSameFile(m_record, st))
                return path;
            if (S_ISDIR(st.st_mode) && quint64(st.st_dev) == m_record.device)
                queue.push_back(path);
        }
        return std::nullopt;
    }

    const Record& m_record;
    int m_entriesLeft;
    std::chrono::steady_clock::time_point m_deadline;
    bool m_isExhausted = false;
    QSet<std::pair<quint64, quint64>> m_searched;
};

std::optional<QByteArray> search(const Record& record, const QByteArray& home, const SearchLimits& limits)
{
    Search search(record, limits);
    for (const QByteArray& root : searchRoots(record.path, home)) {
        if (std::optional<QByteArray> found = search.below(root))
            return found;
        if (search.isExhausted()) {
            qCDebug(lcPlatformFiles, "Stopped looking for the moved file %s at the search's bounds",
                qUtf8Printable(QFile::decodeName(record.path)));
            break;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<Record> examine(const QByteArray& path)
{
    struct stat st;
    if (::stat(path.constData(), &st) == 0 || (::lstat(path.constData(), &st) == 0 && S_ISLNK(st.st_mode)))
        return recordOf(path, st);
    return std::nullopt;
}

QByteArray encode(const Record& record)
{
    QByteArray token(fixedSize + record.path.size(), Qt::Uninitialized);
    char* out = token.data();
    std::memcpy(out, magic, magicSize);
    qToBigEndian(quint32(record.path.size()), out + magicSize);
    std::memcpy(out + magicSize + 4, record.path.constData(), record.path.size());
    char* numbers = out + magicSize + 4 + record.path.size();
    qToBigEndian(record.device, numbers);
    qToBigEndian(record.inode, numbers + 8);
    qToBigEndian(record.size, numbers + 16);
    qToBigEndian(record.modifiedNs, numbers + 24);
    return token;
}

std::optional<Record> decode(const QByteArray& token)
{
    if (token.size() < fixedSize || !token.startsWith(QByteArrayView(magic, magicSize)))
        return std::nullopt;
    const char* in = token.constData();
    // The length must account for the token exactly, so a forged length
    // never decides how much is read or allocated.
    const quint32 length = qFromBigEndian<quint32>(in + magicSize);
    if (qsizetype(length) != token.size() - fixedSize)
        return std::nullopt;
    Record record;
    record.path = token.mid(magicSize + 4, length);
    if (!record.path.startsWith('/') || record.path.contains('\0'))
        return std::nullopt;
    const char* numbers = in + magicSize + 4 + length;
    record.device = qFromBigEndian<quint64>(numbers);
    record.inode = qFromBigEndian<quint64>(numbers + 8);
    record.size = qFromBigEndian<qint64>(numbers + 16);
    record.modifiedNs = qFromBigEndian<qint64>(numbers + 24);
    return record;
}

std::optional<QString> resolve(const QByteArray& token, const QString& homeFolder, const SearchLimits& limits)
{
    const std::optional<Record> record = decode(token);
    if (!record) {
        qCWarning(lcPlatformFiles, "Ignoring a file bookmark that cannot be read (%lld bytes)", qlonglong(token.size()));
        return std::nullopt;
    }
    // Edited in place: the same inode with new contents is still the file.
    const std::optional<Record> now = examine(record->path);
    if (now && now->device == record->device && now->inode == record->inode)
        return QFile::decodeName(record->path);
    const QByteArray home = homeFolder.isEmpty() ? QByteArray() : QFile::encodeName(QDir::cleanPath(homeFolder));
    if (const std::optional<QByteArray> found = search(*record, home, limits))
        return QFile::decodeName(*found);
    struct stat st;
    if (::lstat(record->path.constData(), &st) == 0)
        return QFile::decodeName(record->path);
    return std::nullopt;
}

} // namespace PosixFileBookmark

namespace FileBookmark {

std::optional<QByteArray> make(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    const QByteArray native = QFile::encodeName(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    const std::optional<PosixFileBookmark::Record> record = PosixFileBookmark::examine(native);
    if (!record)
        return std::nullopt;
    return PosixFileBookmark::encode(*record);
}

std::optional<QString> resolve(const QByteArray& token, const QString& homeFolder)
{
    return PosixFileBookmark::resolve(token, homeFolder, PosixFileBookmark::SearchLimits());
}

} // namespace FileBookmark
