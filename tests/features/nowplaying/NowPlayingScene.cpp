#include "NowPlayingScene.h"

#include "AppBundle.h"
#include "AppleScriptMediaClient.h"
#include "IslandViews.h"
#include "MediaRemoteAdapterClient.h"
#include "NowPlayingImageProvider.h"
#include "NowPlayingService.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QQmlEngine>
#include <QQuickItem>
#include <QTest>

namespace {
QByteArray png(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

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

// Items made by a Repeater have no QObject parent, so search the visual tree.
QQuickItem* find(QQuickItem* from, const QString& name)
{
    if (!from || from->objectName() == name)
        return from;
    for (QQuickItem* child : from->childItems())
        if (QQuickItem* found = find(child, name))
            return found;
    return nullptr;
}
} // namespace

NowPlayingScene::NowPlayingScene()
{
    QDir(m_dir.path()).mkpath(QStringLiteral("share"));
    QDir(m_dir.path()).mkpath(QStringLiteral("lib/MediaRemoteAdapter.framework"));
    QFile script(m_dir.filePath(QStringLiteral("share/mediaremote-adapter.pl")));
    script.open(QIODevice::WriteOnly);
    script.write("if ($ARGV[1] eq 'stream') { sleep 1 while 1; }\n"
                 "open(my $log, '>>', '" + m_dir.filePath(QStringLiteral("commands.log")).toUtf8() + "') or die;\n"
                 "print $log join(' ', @ARGV[1..$#ARGV]), \"\\n\";\n");
    script.close();
    const AppBundle bundle(QStringLiteral("test"), {}, m_dir.filePath(QStringLiteral("share")), m_dir.filePath(QStringLiteral("lib")));
    m_catalog.installed.insert(QStringLiteral("org.videolan.vlc"), ApplicationInfo{playerIcon(), QStringLiteral("VLC")});
    m_service = std::make_unique<NowPlayingService>(std::make_unique<MediaRemoteAdapterClient>(bundle, m_scheduler, Clock::system()),
        std::make_unique<AppleScriptMediaClient>(m_scripts, m_notes, m_apps, m_web, Clock::system()), m_catalog, m_scheduler,
        Clock::system(), false);

    IslandViews::initialize();
    m_view.engine()->addImageProvider(QStringLiteral("nowplaying"), new NowPlayingImageProvider(m_service.get()));
    m_view.setFlags(Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    m_view.setColor(Qt::black);
    m_view.setResizeMode(QQuickView::SizeViewToRootObject);
}

NowPlayingScene::~NowPlayingScene() = default;

QImage NowPlayingScene::artwork()
{
    QImage image(300, 300, QImage::Format_RGB32);
    image.fill(QColor(235, 110, 30));
    QPainter(&image).fillRect(100, 100, 100, 100, QColor(30, 90, 235));
    return image;
}

NowPlayingTrack NowPlayingScene::playingTrack()
{
    NowPlayingTrack t;
    t.title = QStringLiteral("Harbour Lights");
    t.artist = QStringLiteral("Ann");
    t.album = QStringLiteral("Tidal");
    t.artworkData = png(artwork());
    t.isPlaying = true;
    t.sourceBundleIdentifier = QStringLiteral("org.videolan.vlc");
    t.processIdentifier = 4242;
    t.duration = 120;
    t.elapsedTime = 30;
    t.elapsedTimestamp = QDateTime::currentDateTimeUtc();
    return t;
}

bool NowPlayingScene::load(double waveGlow, double statusBandHeight)
{
    m_view.setInitialProperties({{QStringLiteral("service"), QVariant::fromValue(m_service.get())},
        {QStringLiteral("waveGlow"), waveGlow}, {QStringLiteral("statusBandHeight"), statusBandHeight}});
    m_view.setSource(QUrl(QStringLiteral("qrc:/nowplaying-harness/NowPlayingHarness.qml")));
    return m_view.status() == QQuickView::Ready;
}

bool NowPlayingScene::show()
{
    m_view.setPosition(0, 0);
    m_view.show();
    return QTest::qWaitForWindowExposed(&m_view);
}

void NowPlayingScene::report(const std::optional<NowPlayingTrack>& track)
{
    m_service->adapter().onTrackChange(track);
}

QStringList NowPlayingScene::commands() const
{
    QFile log(m_dir.filePath(QStringLiteral("commands.log")));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QQuickItem* NowPlayingScene::item(const QString& name, QQuickItem* from) const
{
    return find(from ? from : m_view.rootObject(), name);
}

QString NowPlayingScene::errors() const
{
    QString text;
    for (const QQmlError& e : m_view.errors())
        text += e.toString() + QLatin1Char('\n');
    return text;
}
