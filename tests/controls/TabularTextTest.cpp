#include "ViewProbe.h"

#include <QQmlComponent>
#include <QQuickItem>
#include <QQuickView>

#include <gtest/gtest.h>

// Ticking times drawn in Cantarell, a desktop font whose digits are not all
// of one width: the labels must keep their width and their colon in place.
TEST(TabularTextTest, TimesKeepTheirWidthAndTheirColonWhateverTheDigits)
{
    QQuickView view;
    view.setColor(Qt::black);
    QQmlComponent component(view.engine());
    component.setData(R"(
        import QtQuick
        import Brimwell.Controls
        Column {
            width: 200
            component Time: TabularText { color: "white"; font.family: "Cantarell"; font.pixelSize: 24 }
            component Plain: Text { color: "white"; font.family: "Cantarell"; font.pixelSize: 24 }
            Time { objectName: "ones"; text: "1:11" }
            Time { objectName: "zeros"; text: "0:08" }
            Plain { objectName: "plainOnes"; text: "1:11" }
            Plain { objectName: "plainZeros"; text: "0:08" }
        })",
        QUrl());
    auto* root = qobject_cast<QQuickItem*>(component.create());
    ASSERT_TRUE(root) << qPrintable(component.errorString());
    view.setContent(QUrl(), &component, root);
    view.resize(200, 140);
    ViewProbe::shoot(view, QStringLiteral("tabular-text"));

    const auto width = [&](const char* name) { return ViewProbe::find(root, QLatin1String(name))->width(); };
    ASSERT_NE(width("plainOnes"), width("plainZeros")) << "the font's own digits differ, or this test proves nothing";
    EXPECT_EQ(width("ones"), width("zeros"));
    const auto colonX = [&](const char* name) {
        const QList<QQuickItem*> cells
            = ViewProbe::find(ViewProbe::find(root, QLatin1String(name)), QStringLiteral("cells"))->childItems();
        for (QQuickItem* cell : cells) {
            if (cell->property("text").toString() == QLatin1String(":"))
                return cell->x();
        }
        return -1.0;
    };
    EXPECT_GT(colonX("ones"), 0);
    EXPECT_EQ(colonX("ones"), colonX("zeros"));
}
