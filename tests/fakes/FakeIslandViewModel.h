#pragma once

#include <QObject>
#include <QSizeF>
#include <QString>
#include <QStringList>

/// The island view model as the island's QML views read it, settable from
/// tests and benchmarks. activeTab follows the real rule: the selected tab
/// if available, else the first available one, else none.
class FakeIslandViewModel final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isExpanded READ isExpanded NOTIFY isExpandedChanged)
    Q_PROPERTY(bool hasLayout READ hasLayout NOTIFY layoutChanged)
    Q_PROPERTY(QString layoutStyle READ layoutStyle NOTIFY layoutChanged)
    Q_PROPERTY(qreal topOffset READ topOffset NOTIFY layoutChanged)
    Q_PROPERTY(qreal notchWidth READ notchWidth NOTIFY layoutChanged)
    Q_PROPERTY(qreal statusBandHeight READ statusBandHeight NOTIFY layoutChanged)
    Q_PROPERTY(qreal contentTopInset READ contentTopInset NOTIFY layoutChanged)
    Q_PROPERTY(QSizeF compactSize READ compactSize NOTIFY layoutChanged)
    Q_PROPERTY(QSizeF expandedSize READ expandedSize NOTIFY layoutChanged)
    Q_PROPERTY(bool showsClock READ showsClock NOTIFY statusChanged)
    Q_PROPERTY(bool showsBattery READ showsBattery NOTIFY statusChanged)
    Q_PROPERTY(bool showsInCompact READ showsInCompact NOTIFY statusChanged)
    Q_PROPERTY(QString compactActivity READ compactActivity NOTIFY statusChanged)
    Q_PROPERTY(QStringList availableTabs READ availableTabs NOTIFY tabsChanged)
    Q_PROPERTY(QString selectedTab READ selectedTab WRITE setSelectedTab NOTIFY tabsChanged)
    Q_PROPERTY(QString activeTab READ activeTab NOTIFY tabsChanged)
    Q_PROPERTY(QString calendarStyle READ calendarStyle CONSTANT)
    Q_PROPERTY(bool isDropTargeted READ isDropTargeted WRITE setDropTargeted NOTIFY isDropTargetedChanged)

public:
    struct Layout {
        QString style;
        qreal topOffset = 0;
        qreal notchWidth = 0;
        qreal statusBandHeight = 0;
        qreal contentTopInset = 0;
        QSizeF compactSize;
        QSizeF expandedSize;
    };

    /// A pill on a 1280-wide screen with a 20-pt band.
    static Layout pill() { return {QStringLiteral("pill"), 2, 0, 20, 26, {150, 20}, {520, 211}}; }
    /// A 200-pt notch 32 high with the status wings (72 each).
    static Layout notch() { return {QStringLiteral("notch"), 0, 200, 32, 32, {356, 32}, {520, 217}}; }

    explicit FakeIslandViewModel(QObject* parent = nullptr) : QObject(parent) {}
    Q_DISABLE_COPY_MOVE(FakeIslandViewModel)

    bool isExpanded() const { return m_expanded; }
    void setExpanded(bool expanded)
    {
        if (expanded == m_expanded)
            return;
        m_expanded = expanded;
        Q_EMIT isExpandedChanged();
    }
    bool hasLayout() const { return m_hasLayout; }
    void setLayout(const Layout& layout)
    {
        m_layout = layout;
        m_hasLayout = true;
        Q_EMIT layoutChanged();
    }
    QString layoutStyle() const { return m_layout.style; }
    qreal topOffset() const { return m_layout.topOffset; }
    qreal notchWidth() const { return m_layout.notchWidth; }
    qreal statusBandHeight() const { return m_layout.statusBandHeight; }
    qreal contentTopInset() const { return m_layout.contentTopInset; }
    QSizeF compactSize() const { return m_layout.compactSize; }
    QSizeF expandedSize() const { return m_layout.expandedSize; }
    /// The panel's size for the current state, as the controller sets it.
    QSize panelSize() const
    {
        if (m_expanded)
            return QSize(int(m_layout.expandedSize.width()) + 48,
                int(m_layout.topOffset + m_layout.expandedSize.height()) + 24);
        return QSize(int(m_layout.compactSize.width()), int(m_layout.compactSize.height() + m_layout.topOffset));
    }

    bool showsClock() const { return m_showsClock; }
    bool showsBattery() const { return m_showsBattery; }
    bool showsInCompact() const { return m_showsInCompact; }
    QString compactActivity() const { return m_activity; }
    void setStatus(bool clock, bool battery, const QString& activity)
    {
        m_showsClock = clock;
        m_showsBattery = battery;
        m_activity = activity;
        Q_EMIT statusChanged();
    }

    QStringList availableTabs() const { return m_tabs; }
    void setAvailableTabs(const QStringList& tabs)
    {
        m_tabs = tabs;
        Q_EMIT tabsChanged();
    }
    QString selectedTab() const { return m_selected; }
    void setSelectedTab(const QString& tab)
    {
        if (tab == m_selected)
            return;
        m_selected = tab;
        Q_EMIT tabsChanged();
    }
    QString activeTab() const
    {
        if (m_tabs.contains(m_selected))
            return m_selected;
        return m_tabs.isEmpty() ? QString() : m_tabs.first();
    }
    QString calendarStyle() const { return QStringLiteral("today"); }
    bool isDropTargeted() const { return m_dropTargeted; }
    void setDropTargeted(bool targeted)
    {
        if (targeted == m_dropTargeted)
            return;
        m_dropTargeted = targeted;
        Q_EMIT isDropTargetedChanged();
    }
    Q_INVOKABLE void startExternalDrag() { ++externalDragStarts; }

    int externalDragStarts = 0;

Q_SIGNALS:
    void isExpandedChanged();
    void layoutChanged();
    void statusChanged();
    void tabsChanged();
    void isDropTargetedChanged();

private:
    bool m_expanded = false;
    bool m_hasLayout = false;
    Layout m_layout;
    bool m_showsClock = true;
    bool m_showsBattery = true;
    bool m_showsInCompact = true;
    QString m_activity = QStringLiteral("status");
    QStringList m_tabs{QStringLiteral("nowPlaying"), QStringLiteral("calendar"), QStringLiteral("clipboard"),
        QStringLiteral("shelf")};
    QString m_selected = QStringLiteral("nowPlaying");
    bool m_dropTargeted = false;
};
