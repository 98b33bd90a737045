#include "ClipboardService.h"
#include "FakeClipboard.h"
#include "ManualScheduler.h"
#include "SymbolCatalog.h"
#include "ViewProbe.h"

#include <QPointer>
#include <QQmlComponent>
#include <QQuickItem>
#include <QQuickView>
#include <QScopeGuard>
#include <QTest>

#include <gtest/gtest.h>

// The Clipboard tab drawn in a real X window and read while its history
// changes under a resting pointer; its timers run in the test's time.
using ViewProbe::find;

TEST(ClipboardViewTest, AnAgeTickAndACopyBackKeepTheScrollPositionAndTheHoveredRow)
{
    // The test's time for the clock and for the timers of what QML makes.
    ManualScheduler time;
    Clock::setSystem(&time);
    Scheduler::setSystem(&time);
    const auto restore = qScopeGuard([] {
        Clock::setSystem(nullptr);
        Scheduler::setSystem(nullptr);
    });
    FakeClipboard clipboard;
    ClipboardService service(clipboard, std::nullopt, time);
    service.start();
    for (int i = 1; i <= 20; ++i) {
        clipboard.copy(QStringLiteral("Entry %1").arg(i), SystemClipboard::Kind::plain,
            i % 2 ? QStringLiteral("Terminal") : QStringLiteral("Text Editor"));
        time.advance(750);
        clipboard.answer();
    }
    SymbolCatalog::loadFont();
    QQuickView window;
    QQmlComponent component(window.engine());
    component.setData("import Brimwell.Clipboard\nClipboardView { width: 488; height: 150 }", QUrl());
    auto* tab = qobject_cast<QQuickItem*>(
        component.createWithInitialProperties({ { QStringLiteral("service"), QVariant::fromValue(&service) } }));
    ASSERT_TRUE(tab) << qPrintable(component.errorString());
    window.setContent(QUrl(), &component, tab);
    window.setFlags(Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    window.setColor(Qt::black);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QQuickItem* list = find(tab, QStringLiteral("clipboardList"));
    const auto rowAt = [list](QPoint point) { // the row drawn there
        const QPointF at = list->mapFromScene(point) + QPointF(0, list->property("contentY").toReal());
        QQuickItem* row = nullptr;
        QMetaObject::invokeMethod(list, "itemAt", Q_RETURN_ARG(QQuickItem*, row), Q_ARG(qreal, at.x()), Q_ARG(qreal, at.y()));
        return row;
    };
    const auto metadataOf = [](QQuickItem* row) { return find(row, QStringLiteral("rowMetadata"))->property("text").toString(); };
    QMetaObject::invokeMethod(list, "positionViewAtEnd");
    const qreal bottom = list->property("contentY").toReal();
    ASSERT_GT(bottom, 300);

    // The pointer rests on the second row from the bottom until its tooltip shows.
    const QRectF listRect = list->mapRectToScene(list->boundingRect());
    const QPoint pointer(int(listRect.center().x()), int(listRect.bottom()) - 26 - 12);
    QTest::mouseMove(&window, pointer);
    QPointer<QQuickItem> hovered = rowAt(pointer);
    ASSERT_TRUE(hovered);
    EXPECT_TRUE(QTest::qWaitFor([&] { return hovered->property("isHovered").toBool(); }, 3000));
    EXPECT_EQ(metadataOf(hovered), QStringLiteral("Text Editor · now"));
    QObject* tip = nullptr;
    for (QObject* attached : hovered->children())
        tip = tip ? tip : attached->property("toolTip").value<QObject*>();
    ASSERT_TRUE(tip);
    EXPECT_TRUE(QTest::qWaitFor([&] { return tip->property("opened").toBool(); }, 3000));
    EXPECT_EQ(tip->property("text").toString(), QStringLiteral("Entry 2"));

    // Every age moves on at the minute; the same rows stay where they were.
    time.advance(120'000 - time.monotonicMs());
    QCoreApplication::processEvents();
    ASSERT_TRUE(hovered) << "the row was made anew";
    EXPECT_EQ(metadataOf(hovered), QStringLiteral("Text Editor · 1 min. ago"));
    EXPECT_EQ(list->property("contentY").toReal(), bottom);
    EXPECT_EQ(rowAt(pointer), hovered);
    EXPECT_TRUE(hovered->property("isHovered").toBool());
    EXPECT_TRUE(tip->property("opened").toBool());
    ViewProbe::shoot(window, QStringLiteral("clipboard-tab-scrolled"));

    // A click copies the entry back to the top. The list stays at its end,
    // the rows above close the gap, and the one now under the pointer is hovered.
    QQuickItem* above = rowAt(pointer - QPoint(0, 26));
    QTest::mouseClick(&window, Qt::LeftButton, {}, pointer);
    EXPECT_EQ(clipboard.contents.text, QStringLiteral("Entry 2"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return above->property("isHovered").toBool(); }, 3000));
    EXPECT_EQ(rowAt(pointer), above);
    EXPECT_EQ(list->property("contentY").toReal() - list->property("originY").toReal(), bottom);
    ViewProbe::shoot(window, QStringLiteral("clipboard-tab-copied-back"));
}
