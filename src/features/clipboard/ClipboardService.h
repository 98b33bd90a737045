#pragma once

#include "ClipboardItem.h"
#include "DelayedTask.h"
#include "SystemClipboard.h"

#include <QList>
#include <QObject>
#include <QThreadPool>
#include <QtQml/qqmlregistration.h>

#include <optional>

/// A short history of the plain text the user copies anywhere, newest
/// first, kept in "clipboard-history.json" so it survives a restart. Texts
/// that other programs mark as secret, transient or generated, and copied
/// files, are never taken.
// Not final: Qt 6.4's QML registration derives from every type it could
// default-construct, uncreatable or not.
class ClipboardService : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Created by the application")
    Q_PROPERTY(int count READ count NOTIFY itemsChanged FINAL)
    Q_PROPERTY(bool isAccessDenied READ isAccessDenied NOTIFY isAccessDeniedChanged FINAL)
public:
    static constexpr int historyLimit = 20;
    static constexpr qsizetype longestText = 100'000;
    static constexpr std::chrono::milliseconds pollInterval { 750 };
    /// Loads the history from `supportFolder`/<program>/ (none: memory only).
    ClipboardService(SystemClipboard& systemClipboard, std::optional<QString> supportFolder,
        Scheduler& scheduler = Scheduler::system(), QObject* parent = nullptr);
    ~ClipboardService() override;
    Q_DISABLE_COPY_MOVE(ClipboardService)

    const QList<ClipboardItem>& items() const { return m_items; }
    int count() const { return int(m_items.size()); }
    bool isAccessDenied() const { return m_isAccessDenied; }
    bool isRunning() const { return m_isRunning; }
    const std::optional<QString>& storagePath() const { return m_storagePath; }

    /// Notices copies from now on; what is on the clipboard now is never taken.
    void start();
    void stop();
    /// X11 has no clipboard permission: access is never denied.
    Q_INVOKABLE void refreshAccess();
    /// Puts the entry's text back on the clipboard and moves it to the top.
    void copy(const ClipboardItem& item);
    /// The same for the entry with this id; nothing when there is none.
    Q_INVOKABLE void copy(const QUuid& id);
    /// Empties the history and its file.
    Q_INVOKABLE void clear();
    Q_INVOKABLE void openPrivacySettings();

    /// Waits until the history file holds what was last saved.
    void waitForSaves() { m_writer.waitForDone(); }

Q_SIGNALS:
    void itemsChanged();
    void isAccessDeniedChanged();

private:
    void scheduleCheck();
    void checkForChanges();
    void take(const SystemClipboard::Contents& contents);
    void publish(QList<ClipboardItem> items);
    QList<ClipboardItem> loadItems();
    void saveItems();

    SystemClipboard& m_systemClipboard;
    Scheduler& m_scheduler;
    QList<ClipboardItem> m_items;
    bool m_isAccessDenied = false;
    std::optional<QString> m_storagePath;
    int m_lastChangeCount = 0;
    bool m_isRunning = false;
    qint64 m_startedAt = 0;
    DelayedTask m_checkTask;
    quint64 m_readGeneration = 0;
    // Saves run in order, off the GUI thread; the last one written wins.
    QThreadPool m_writer;
};
