#pragma once

#include "ClipboardRowModel.h"
#include "DelayedTask.h"
#include "MinuteTicker.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QUuid>
#include <QtQml/qqmlregistration.h>

class ClipboardService;

// QML sees the namespace as a type: `ClipboardContents.ClipboardContent.history`.
namespace ClipboardContents {
Q_NAMESPACE
QML_ELEMENT
/// What the Clipboard tab shows: the access message, the empty message or
/// the history.
enum class ClipboardContent { denied, empty, history };
Q_ENUM_NS(ClipboardContent)
} // namespace ClipboardContents
using ClipboardContents::ClipboardContent;

/// What the Clipboard tab shows: the message or the history, the header
/// and its clear confirmation, and one row per entry with its preview, its
/// age and source, its tooltip and the short "Copied" confirmation.
// Not final: QML derives from the types it creates.
class ClipboardViewLogic : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_MOC_INCLUDE("ClipboardService.h")
    Q_PROPERTY(ClipboardService* service READ service WRITE setService NOTIFY serviceChanged FINAL)
    /// The tab is on screen: ages move on each minute and access is re-read.
    Q_PROPERTY(bool active READ isActive WRITE setActive NOTIFY activeChanged FINAL)
    Q_PROPERTY(ClipboardContents::ClipboardContent content READ content NOTIFY contentChanged FINAL)
    /// One row per entry, newest first; the same object for the view's life.
    Q_PROPERTY(ClipboardRowModel* rows READ rows CONSTANT FINAL)
    /// "3 of 20 · Click to copy", or "Clear all 3 items?" while confirming.
    Q_PROPERTY(QString headerText READ headerText NOTIFY headerTextChanged FINAL)
    Q_PROPERTY(bool isConfirmingClear READ isConfirmingClear NOTIFY isConfirmingClearChanged FINAL)
public:
    static constexpr std::chrono::milliseconds copiedFeedback { 1200 };
    static constexpr std::chrono::milliseconds clearConfirmation { 5000 };

    explicit ClipboardViewLogic(QObject* parent = nullptr);
    ClipboardViewLogic(Scheduler& scheduler, WallClockEvents& events, QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(ClipboardViewLogic)

    ClipboardService* service() const { return m_service; }
    void setService(ClipboardService* service);
    bool isActive() const { return m_active; }
    void setActive(bool active);
    ClipboardContent content() const { return m_content; }
    ClipboardRowModel* rows() { return &m_rows; }
    QString headerText() const { return m_headerText; }
    bool isConfirmingClear() const { return m_isConfirmingClear; }
    std::optional<QUuid> copiedItemID() const { return m_copiedItemID; }

    /// Puts the entry back on the clipboard and shows "Copied" in its row.
    Q_INVOKABLE void copy(const QUuid& id);
    Q_INVOKABLE void beginClear();
    Q_INVOKABLE void confirmClear();
    Q_INVOKABLE void cancelClear();

    /// "now", "5 min. ago", "yesterday"…; a time after `now` reads as now.
    static QString relativeAge(const QDateTime& copiedAt, const QDateTime& now);
    /// "Name · age", or the age alone.
    static QString metadata(const std::optional<QString>& sourceAppName, const QString& age);
    /// The full text up to 300 characters, else its first 300 and "…".
    static QString tooltip(const QString& text);

Q_SIGNALS:
    void serviceChanged();
    void activeChanged();
    void contentChanged();
    void headerTextChanged();
    void isConfirmingClearChanged();

private:
    void historyChanged();
    void setConfirming(bool confirming);
    // Brings the content, the header and the rows up to date, telling only
    // what changed.
    void refresh();

    QPointer<ClipboardService> m_service;
    bool m_active = false;
    QDateTime m_now;
    std::optional<QUuid> m_copiedItemID;
    bool m_isConfirmingClear = false;
    ClipboardContent m_content = ClipboardContent::empty;
    QString m_headerText;
    ClipboardRowModel m_rows;
    DelayedTask m_feedbackTask;
    DelayedTask m_clearConfirmationTask;
    // Ages move on together at each minute, while the tab is shown.
    MinuteTicker m_minutes;
};
