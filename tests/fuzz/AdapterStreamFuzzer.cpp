// The adapter client's stream: arbitrary bytes cut into arbitrary chunks,
// every line they complete parsed and merged into the payload, and the
// payload turned into a track.

#include "AppBundle.h"
#include "FuzzApplication.h"
#include "MediaRemoteAdapterClient.h"

#include <QDir>
#include <QFile>

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

namespace {

MediaRemoteAdapterClient* client = nullptr;

void check(const std::optional<NowPlayingTrack>& track)
{
    // A track always has a title: without one the client reports none.
    if (track && track->title.trimmed().isEmpty())
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    const QString root = fuzzScratchFolder(argc, argv);
    // An adapter that exits at once: the stream's bytes come from the fuzzer,
    // and without an event loop the client never hears that it ended.
    QDir(root).mkpath(QStringLiteral("share"));
    QDir(root).mkpath(QStringLiteral("lib/MediaRemoteAdapter.framework"));
    QFile script(root + QStringLiteral("/share/mediaremote-adapter.pl"));
    if (!script.open(QIODevice::WriteOnly) || script.write("exit 0;\n") < 0)
        std::abort();
    script.close();
    client = new MediaRemoteAdapterClient(
        AppBundle(QStringLiteral("fuzz"), {}, root + QStringLiteral("/share"), root + QStringLiteral("/lib")));
    QObject::connect(client, &MediaRemoteAdapterClient::trackChanged, client, &check);
    client->start();
    if (!client->isRunning())
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Every input starts from an empty payload, whatever the last one left
    // (an unfinished line is ended and ignored first).
    client->appendChunk(QByteArrayLiteral("\n{\"type\":\"data\",\"payload\":{}}\n"));
    FuzzedDataProvider in(data, size);
    while (in.remaining_bytes() > 0) {
        const size_t length = in.ConsumeIntegralInRange<size_t>(1, 300);
        const std::string chunk = in.ConsumeBytesAsString(length);
        client->appendChunk(QByteArray::fromStdString(chunk));
    }
    return 0;
}
