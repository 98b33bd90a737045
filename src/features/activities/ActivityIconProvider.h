#pragma once

#include <QQuickImageProvider>

/// Icons of the desktop's theme by name, for activities whose symbol is not
/// one of the island's: "image://activityicon/<name>". Asked for from QML's
/// loader thread (the views load them asynchronously); a name the theme
/// lacks gives an empty image, and nothing else is read.
class ActivityIconProvider final : public QQuickImageProvider {
public:
    ActivityIconProvider();

    QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;
};
