#include "ShapeShadow.h"

#include "IslandShape.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {
// One box pass over `count` samples spaced `stride` apart.
void boxPass(uchar* data, int count, qsizetype stride, int r, std::vector<uchar>& scratch)
{
    scratch.resize(size_t(count));
    for (int i = 0; i < count; ++i)
        scratch[size_t(i)] = data[i * stride];
    const int window = 2 * r + 1;
    int sum = 0;
    for (int i = 0; i <= std::min(r, count - 1); ++i)
        sum += scratch[size_t(i)];
    for (int i = 0; i < count; ++i) {
        data[i * stride] = uchar((sum + window / 2) / window);
        const int in = i + r + 1;
        const int out = i - r;
        if (in < count)
            sum += scratch[size_t(in)];
        if (out >= 0)
            sum -= scratch[size_t(out)];
    }
}
} // namespace

ShapeShadow::ShapeShadow(QQuickItem* parent)
    : QQuickPaintedItem(parent)
{
    connect(this, &QQuickItem::widthChanged, this, &ShapeShadow::invalidate);
    connect(this, &QQuickItem::heightChanged, this, &ShapeShadow::invalidate);
}

void ShapeShadow::blurAlpha(QImage& alpha, qreal sigma)
{
    if (alpha.format() != QImage::Format_Alpha8 || !(sigma > 0))
        return;
    // Three passes of width w give variance (w² − 1) / 4.
    const int r = std::max(1, int(std::lround((std::sqrt(4 * sigma * sigma + 1) - 1) / 2)));
    const int w = alpha.width();
    const int h = alpha.height();
    const qsizetype line = alpha.bytesPerLine();
    uchar* bits = alpha.bits();
    std::vector<uchar> scratch;
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < h; ++y)
            boxPass(bits + y * line, w, 1, r, scratch);
        for (int x = 0; x < w; ++x)
            boxPass(bits + x, h, line, r, scratch);
    }
}

void ShapeShadow::setShape(IslandShape* shape)
{
    if (shape == m_shape)
        return;
    disconnect(m_shapeConnection);
    m_shape = shape;
    if (shape)
        m_shapeConnection = connect(shape, &IslandShape::shapeChanged, this, &ShapeShadow::invalidate);
    invalidate();
    Q_EMIT shapeChanged();
}

void ShapeShadow::setShapeRect(const QRectF& rect)
{
    if (rect == m_shapeRect)
        return;
    m_shapeRect = rect;
    invalidate();
    Q_EMIT shapeRectChanged();
}

void ShapeShadow::setColor(const QColor& color)
{
    if (color == m_color)
        return;
    m_color = color;
    invalidate();
    Q_EMIT colorChanged();
}

void ShapeShadow::setRadius(qreal radius)
{
    if (radius == m_radius)
        return;
    m_radius = radius;
    invalidate();
    Q_EMIT radiusChanged();
}

void ShapeShadow::setOffset(const QPointF& offset)
{
    if (offset == m_offset)
        return;
    m_offset = offset;
    invalidate();
    Q_EMIT offsetChanged();
}

void ShapeShadow::setStrength(qreal strength)
{
    if (strength == m_strength)
        return;
    m_strength = strength;
    update();
    Q_EMIT strengthChanged();
}

void ShapeShadow::invalidate()
{
    m_cache = QImage();
    if (m_strength > 0)
        update();
}

void ShapeShadow::paint(QPainter* painter)
{
    if (!(m_strength > 0) || !m_shape || width() < 1 || height() < 1 || m_shapeRect.isEmpty())
        return;
    if (m_cache.isNull()) {
        // A wide blur loses nothing at half resolution and costs a quarter.
        const qreal scale = m_radius >= 4 ? 0.5 : 1.0;
        const QSize size(int(std::ceil(width() * scale)), int(std::ceil(height() * scale)));
        QImage alpha(size, QImage::Format_Alpha8);
        alpha.fill(0);
        {
            QPainter p(&alpha);
            p.setRenderHint(QPainter::Antialiasing);
            p.scale(scale, scale);
            p.fillPath(m_shape->path(m_shapeRect.translated(m_offset)), Qt::black);
        }
        blurAlpha(alpha, m_radius * scale);
        m_cache = QImage(size, QImage::Format_ARGB32_Premultiplied);
        m_cache.fill(m_color);
        QPainter p(&m_cache);
        p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        p.drawImage(0, 0, alpha);
    }
    painter->setOpacity(std::min<qreal>(1, m_strength));
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->drawImage(QRectF(0, 0, width(), height()), m_cache);
}
