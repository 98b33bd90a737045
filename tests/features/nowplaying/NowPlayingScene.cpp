#include "NowPlayingScene.h"

#include "NowPlayingImageProvider.h"
#include "SymbolCatalog.h"
#include "ViewProbe.h"

#include <QPainter>
#include <QQmlEngine>
#include <QQuickItem>
#include <QTest>

namespace {
QIcon playerIcon()
{
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(255, 136, 0));
    p.setPen(Qt::NoPen);
    p.drawEllipse(pixmap.rect());
    return QIcon(pixmap);
}

} // namespace

NowPlayingScene::NowPlayingScene()
{
    m_rig.catalog.installed.insert(QStringLiteral("org.videolan.vlc"), ApplicationInfo { playerIcon(), QStringLiteral("VLC") });
    // Positions are read from the rig's virtual clock, by the service and by
    // the views alike, so they stand still unless the test moves them.
    Clock::setSystem(&m_rig.clock);
    m_rig.build(m_rig.clock);
    m_rig.service->start();

    SymbolCatalog::loadFont();
    m_view.engine()->addImageProvider(QStringLiteral("nowplaying"), new NowPlayingImageProvider(m_rig.service.get()));
    m_view.setFlags(Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    m_view.setColor(Qt::black);
    m_view.setResizeMode(QQuickView::SizeViewToRootObject);
}

NowPlayingScene::~NowPlayingScene()
{
    Clock::setSystem(nullptr);
}

QImage NowPlayingScene::artwork()
{
    QImage image(300, 300, QImage::Format_RGB32);
    image.fill(QColor(235, 110, 30));
    QPainter(&image).fillRect(100, 100, 100, 100, QColor(30, 90, 235));
    return image;
}

MediaPlayerState NowPlayingScene::playingTrack()
{
    MediaPlayerState t;
    t.player = QStringLiteral("vlc");
    t.title = QStringLiteral("Harbour Lights");
    t.artist = QStringLiteral("Ann");
    t.album = QStringLiteral("Tidal");
    t.artUrl = NowPlayingRig::dataUrl(NowPlayingRig::png(artwork()));
    t.isPlaying = true;
    t.desktopEntry = QStringLiteral("org.videolan.vlc");
    t.processIdentifier = 4242;
    t.lengthMicros = 120'000'000;
    t.positionMicros = 30'000'000;
    t.positionReadAt = Clock::system().now();
    return t;
}

bool NowPlayingScene::load(double waveGlow, double statusBandHeight)
{
    m_view.setInitialProperties({ { QStringLiteral("service"), QVariant::fromValue(m_rig.service.get()) },
        { QStringLiteral("waveGlow"), waveGlow }, { QStringLiteral("statusBandHeight"), statusBandHeight } });
    m_view.setSource(QUrl(QStringLiteral("qrc:/nowplaying-harness/NowPlayingHarness.qml")));
    return m_view.status() == QQuickView::Ready;
}

bool NowPlayingScene::show()
{
    m_view.setPosition(0, 0);
    m_view.show();
    return QTest::qWaitForWindowExposed(&m_view);
}

void NowPlayingScene::report(const std::optional<MediaPlayerState>& track)
{
    m_rig.players.show(track);
}

QQuickItem* NowPlayingScene::item(const QString& name, QQuickItem* from) const
{
    return ViewProbe::find(from ? from : m_view.rootObject(), name);
}
