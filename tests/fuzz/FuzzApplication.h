#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

/// What every fuzzer needs once: a Qt application for the whole run and a
/// scratch folder. Log lines are still formatted (their arguments are part
/// of what is fuzzed) but not printed, or they would drown libFuzzer's output.
inline QString fuzzScratchFolder(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    static QTemporaryDir scratch;
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    if (!scratch.isValid()) {
        std::fprintf(stderr, "fuzzer: no scratch folder\n");
        std::exit(1);
    }
    return scratch.path();
}

/// Empties `folder`, so what one input left (a file kept aside) does not
/// change the next.
inline void fuzzEmptyFolder(const QString& folder)
{
    QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        dir.remove(name);
}

/// Writes `bytes` to `path`, aborting when it cannot.
inline void fuzzWriteFile(const QString& path, QByteArrayView bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), bytes.size()) != bytes.size())
        std::abort();
}
