// The shelf's bookmark tokens: any bytes decoded, and a token that decodes
// resolved. A token decodes only when it is exactly one record, so encoding
// the record again must give the same bytes.

#include "FuzzApplication.h"
#include "PosixFileBookmark.h"

#include <QDir>

#include <cstdlib>

static QString home;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    home = fuzzScratchFolder(argc, argv);
    QDir(home).mkpath(QStringLiteral("Documents/old"));
    fuzzWriteFile(home + QStringLiteral("/Documents/report.pdf"), "x");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray token(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<PosixFileBookmark::Record> record = PosixFileBookmark::decode(token);
    if (!record)
        return 0;
    if (PosixFileBookmark::encode(*record) != token)
        std::abort();
    (void)PosixFileBookmark::resolve(token, home, { 200, std::chrono::milliseconds(20) });
    return 0;
}
