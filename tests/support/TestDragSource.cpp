// A window that starts a drag when pressed, for drops on the island from
// another program (a Wayland client under QT_QPA_PLATFORM=wayland).
//   test-drag-source [--uri URL]... [--png FILE]
// Prints "pressed" when the drag starts, then "dropped" or "refused" with
// the action the target chose once it ends, and exits.
//   test-drag-source --target
// Instead takes drops: prints "entered" when a drag with URLs comes over it,
// then "dropped URL…" (space-separated) on the drop, and exits.

#include <QCommandLineParser>
#include <QDrag>
#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QRasterWindow>
#include <QTextStream>
#include <QTimer>
#include <QUrl>

namespace {

class DragSourceWindow final : public QRasterWindow {
public:
    explicit DragSourceWindow(std::function<QMimeData*()> offer)
        : m_offer(std::move(offer))
    {
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(QRect(QPoint(), size()), QColor(0x30, 0x60, 0xa0)); }
    bool event(QEvent* event) override
    {
        if (m_offer)
            return QRasterWindow::event(event);
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (!drag->mimeData()->hasUrls())
                return QRasterWindow::event(event);
            if (event->type() == QEvent::DragEnter)
                QTextStream(stdout) << "entered" << Qt::endl;
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            QStringList urls;
            for (const QUrl& url : drop->mimeData()->urls())
                urls.append(url.toString());
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            QTextStream(stdout) << "dropped " << urls.join(QLatin1Char(' ')) << Qt::endl;
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
            return true;
        }
        default:
            return QRasterWindow::event(event);
        }
    }
    void mousePressEvent(QMouseEvent*) override
    {
        if (!m_offer)
            return;
        // Started from the event loop's next turn, outside the press handler.
        QTimer::singleShot(0, this, [this] {
            QTextStream(stdout) << "pressed" << Qt::endl;
            auto* drag = new QDrag(this);
            drag->setMimeData(m_offer());
            const Qt::DropAction action = drag->exec(Qt::CopyAction);
            QTextStream(stdout) << (action == Qt::IgnoreAction ? "refused" : "dropped") << Qt::endl;
            QCoreApplication::exit(0);
        });
    }

private:
    std::function<QMimeData*()> m_offer;
};

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption({ "uri", "A URL to offer.", "url" });
    parser.addOption({ "png", "A PNG file whose bytes to offer.", "file" });
    parser.addOption({ "target", "Take drops instead." });
    parser.process(app);
    QList<QUrl> urls;
    for (const QString& url : parser.values("uri"))
        urls.append(QUrl(url));
    QByteArray png;
    if (parser.isSet("png")) {
        QFile file(parser.value("png"));
        if (!file.open(QIODevice::ReadOnly))
            return 2;
        png = file.readAll();
    }
    DragSourceWindow window(parser.isSet("target") ? std::function<QMimeData*()>() : [=] {
        auto* data = new QMimeData;
        if (!urls.isEmpty())
            data->setUrls(urls);
        if (!png.isEmpty())
            data->setData("image/png", png);
        return data;
    });
    window.setTitle("Drag source");
    window.resize(400, 300);
    window.show();
    return app.exec();
}
