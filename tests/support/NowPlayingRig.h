#pragma once

#include "FakeApplicationCatalog.h"
#include "FakeMediaPlayers.h"
#include "FakeWebLoader.h"
#include "ManualScheduler.h"
#include "NowPlayingService.h"
#include "TestImages.h"

#include <QCoreApplication>
#include <QImage>

#include <memory>

/// A real Now Playing service fed by fakes; its timers wait for `clock`.
class NowPlayingRig {
public:
    /// (Re)builds the service, reading time from `time`. Artwork decodes
    /// inline unless an executor is given (e.g. heldWork(), whose work the
    /// test runs when it chooses).
    void build(Clock& time, ArtworkDecoder::Executor artwork = {})
    {
        service.reset();
        service = std::make_unique<NowPlayingService>(players, catalog, web, clock, time, artwork);
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

    /// An 8 x 8 cover of one colour, as a data: address of PNG bytes.
    static QString cover(Qt::GlobalColor color) { return dataUrl(png(TestImages::filled(QSize(8, 8), color))); }

    static QString dataUrl(const QByteArray& bytes)
    {
        return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(bytes.toBase64());
    }

    static QByteArray png(const QImage& image) { return TestImages::png(image); }

    ManualScheduler clock;
    FakeMediaPlayers players;
    FakeWebLoader web;
    FakeApplicationCatalog catalog;
    std::unique_ptr<NowPlayingService> service;
    QList<std::function<void()>> m_heldWork;
};
