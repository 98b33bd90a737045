// The clipboard history's loader: any bytes as "clipboard-history.json",
// read by the service as at start. An unreadable file must be kept aside,
// never lost, and a readable one must give back entries that save again.

#include "ClipboardService.h"
#include "FakeClipboard.h"
#include "FuzzApplication.h"

#include <QFileInfo>

#include <cstdlib>

static QString supportFolder;
static QString historyPath;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    supportFolder = fuzzScratchFolder(argc, argv);
    FakeClipboard systemClipboard;
    ClipboardService service(systemClipboard, supportFolder);
    if (!service.storagePath())
        std::abort();
    historyPath = *service.storagePath();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzEmptyFolder(QFileInfo(historyPath).path());
    fuzzWriteFile(historyPath, QByteArrayView(data, qsizetype(size)));
    FakeClipboard systemClipboard;
    ClipboardService service(systemClipboard, supportFolder);
    if (service.items().isEmpty()) {
        // Either the file read as an empty list or it was kept aside whole.
        QFile aside(historyPath + QStringLiteral(".corrupt"));
        const bool keptAside = aside.open(QIODevice::ReadOnly);
        if (keptAside && aside.readAll() != QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)))
            std::abort();
        if (!keptAside && !QFile::exists(historyPath))
            std::abort();
        return 0;
    }
    for (const ClipboardItem& item : service.items()) {
        QString error;
        const std::optional<ClipboardItem> again = ClipboardItem::fromJson(item.toJson(), error);
        if (!again || again->id != item.id || again->text != item.text)
            std::abort();
    }
    return 0;
}
