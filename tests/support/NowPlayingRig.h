#pragma once

#include "AppBundle.h"
#include "AppleScriptMediaClient.h"
#include "FakeApplicationCatalog.h"
#include "FakePlayerNotificationCenter.h"
#include "FakeRunningApplications.h"
#include "FakeScriptRunner.h"
#include "FakeWebLoader.h"
#include "ManualScheduler.h"
#include "MediaRemoteAdapterClient.h"
#include "NowPlayingService.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <memory>

/// A real Now Playing service fed by fakes; its timers wait for `clock`.
/// The adapter is a script in a bundle of its own: its stream only idles,
/// its one-shot commands (sends and seeks) are written down for commands().
class NowPlayingRig {
public:
    /// (Re)builds the service, reading time from `time`; without the adapter
    /// the bundle lacks its script. Artwork decodes inline unless an executor
    /// is given (e.g. heldWork(), whose work the test runs when it chooses).
    void build(Clock& time, bool withAdapter = true, ArtworkDecoder::Executor artwork = {})
    {
        QDir(m_dir.path()).mkpath(QStringLiteral("share"));
        QDir(m_dir.path()).mkpath(QStringLiteral("lib/MediaRemoteAdapter.framework"));
        QFile script(m_dir.filePath(QStringLiteral("share/mediaremote-adapter.pl")));
        script.remove();
        if (withAdapter && script.open(QIODevice::WriteOnly))
            script.write("if ($ARGV[1] eq 'stream') { sleep 1 while 1; }\n"
                         "open(my $log, '>>', '"
                + m_dir.filePath(QStringLiteral("commands.log")).toUtf8()
                + "') or die;\n"
                  "print $log join(' ', @ARGV[1..$#ARGV]), \"\\n\";\n");
        script.close();
        const AppBundle bundle(
            QStringLiteral("test"), {}, m_dir.filePath(QStringLiteral("share")), m_dir.filePath(QStringLiteral("lib")));
        service.reset();
        service = std::make_unique<NowPlayingService>(std::make_unique<MediaRemoteAdapterClient>(bundle, clock, time),
            std::make_unique<AppleScriptMediaClient>(scripts, notes, apps, web, time), catalog, clock, time, artwork);
    }

    /// "send <code>" and "seek <micros>" lines the adapter received.
    QStringList commands() const
    {
        QFile log(m_dir.filePath(QStringLiteral("commands.log")));
        if (!log.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    /// An artwork executor that keeps the work until runHeldWork().
    ArtworkDecoder::Executor heldWork()
    {
        return [this](std::function<void()> work) { m_heldWork.append(std::move(work)); };
    }
    /// Runs the held decodes in the order given (indices into what was held),
    /// then delivers their results to the main thread.
    void runHeldWork(const QList<int>& order)
    {
        for (int i : order)
            m_heldWork[i]();
        m_heldWork.clear();
        QCoreApplication::processEvents();
    }
    qsizetype heldWorkCount() const { return m_heldWork.size(); }

    /// An 8 x 8 cover of one colour, as PNG bytes.
    static QByteArray cover(Qt::GlobalColor color)
    {
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(color);
        return png(image);
    }

    static QByteArray png(const QImage& image)
    {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return bytes;
    }

    QTemporaryDir m_dir;
    ManualScheduler clock;
    FakeScriptRunner scripts;
    FakePlayerNotificationCenter notes;
    FakeRunningApplications apps;
    FakeWebLoader web;
    FakeApplicationCatalog catalog;
    std::unique_ptr<NowPlayingService> service;
    QList<std::function<void()>> m_heldWork;
};
