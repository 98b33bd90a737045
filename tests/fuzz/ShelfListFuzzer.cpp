// The shelf's loader: any bytes as "shelf.json", every entry checked and its
// bookmark resolved as at start (with a small search bound, so an input
// naming a big folder does not stall the run).

#include "FuzzApplication.h"
#include "PosixFileBookmark.h"
#include "ShelfService.h"

#include <QDir>

#include <cstdlib>

static QString home;
static QString listFolder;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    const QString root = fuzzScratchFolder(argc, argv);
    home = root + QStringLiteral("/home");
    listFolder = root + QStringLiteral("/list");
    // A few real files the seeds' bookmarks may name.
    QDir(root).mkpath(QStringLiteral("home/Documents"));
    QDir(root).mkpath(QStringLiteral("list"));
    for (const char* name : { "home/Documents/report.pdf", "home/notes.txt" })
        fuzzWriteFile(root + QLatin1Char('/') + QLatin1String(name), "x");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzEmptyFolder(listFolder);
    const QString path = listFolder + QStringLiteral("/shelf.json");
    fuzzWriteFile(path, QByteArrayView(data, qsizetype(size)));
    const QList<StoredShelfItem> items = ShelfService::readStoredItems(path);
    if (items.isEmpty() && !QFile::exists(path) && !QFile::exists(path + QStringLiteral(".corrupt")))
        std::abort(); // the file is gone without being kept aside
    const PosixFileBookmark::SearchLimits limits { 200, std::chrono::milliseconds(20) };
    for (const StoredShelfItem& item : items) {
        QString error;
        if (!StoredShelfItem::fromJson(item.toJson(), error))
            std::abort(); // what was read must save again
        (void)PosixFileBookmark::resolve(item.bookmark, home, limits);
    }
    return 0;
}
