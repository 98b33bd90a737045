#include "SpringCurves.h"

#include "Spring.h"

#include <QPointF>

#include <cmath>

SpringCurves::SpringCurves(QObject* parent)
    : QObject(parent)
{
}

int SpringCurves::duration(double response, double dampingFraction) const
{
    return int(std::ceil(Spring(response, dampingFraction).settleTime() * 1000));
}

QVariantList SpringCurves::bezierCurve(double response, double dampingFraction) const
{
    QVariantList list;
    const QList<QPointF> points = Spring(response, dampingFraction).easingCurve().toCubicSpline();
    list.reserve(points.size() * 2);
    for (const QPointF& p : points)
        list << p.x() << p.y();
    return list;
}
