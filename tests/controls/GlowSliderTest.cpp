#include "ViewProbe.h"

#include <QQmlComponent>
#include <QQuickItem>
#include <QQuickView>
#include <QTest>

#include <gtest/gtest.h>

// The glow slider drawn in a real X window and dragged with the mouse.
TEST(GlowSliderTest, ReportsDragFractionsOnlyWhenEnabledWithAListener)
{
    QQuickView view;
    view.setFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint);
    view.setColor(Qt::black);
    QQmlComponent component(view.engine());
    component.setData(R"(
        import QtQuick
        import Brimwell.Controls
        Item {
            width: 240; height: 40
            property var drags: []
            property real ended: -1
            property alias enabled_: slider.isEnabled
            GlowSlider {
                id: slider
                x: 20; y: 10; width: 200; height: 20
                value: 1.3
                draggable: true
                onDragged: f => drags.push(f)
                onDragEnded: f => ended = f
            }
        })",
        QUrl());
    auto* scene = qobject_cast<QQuickItem*>(component.create());
    ASSERT_TRUE(scene) << qPrintable(component.errorString());
    view.setContent(QUrl(), &component, scene);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));

    // Value 1.3 draws a full bar with its glow: the reference shows it.
    ViewProbe::shoot(view, QStringLiteral("glow-slider"));

    QTest::mousePress(&view, Qt::LeftButton, {}, QPoint(70, 20));
    QTest::mouseMove(&view, QPoint(235, 20));
    QTest::mouseMove(&view, QPoint(2, 20));
    QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint(2, 20));
    const QVariantList drags = scene->property("drags").toList();
    ASSERT_GE(drags.size(), 3);
    EXPECT_DOUBLE_EQ(drags.first().toDouble(), 0.25);
    EXPECT_TRUE(drags.contains(1.0));
    EXPECT_DOUBLE_EQ(drags.last().toDouble(), 0.0);
    EXPECT_DOUBLE_EQ(scene->property("ended").toDouble(), 0.0);

    scene->setProperty("drags", QVariantList());
    scene->setProperty("enabled_", false);
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(120, 20));
    EXPECT_TRUE(scene->property("drags").toList().isEmpty());
}
