#pragma once

#include <QByteArray>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>

/// The system clipboard as the history sees it: a counter that moves on
/// every change, and an asynchronous read of what is on it. Reads never
/// wait on the GUI thread for the clipboard's owner.
class SystemClipboard : public QObject {
    Q_OBJECT
public:
    /// What the clipboard held when read.
    struct Contents {
        /// The type identifiers on offer.
        QStringList types;
        /// The plain text; absent when there is none, or when it is longer
        /// than the reader's bound (then `isTooLong`).
        std::optional<QString> text;
        bool isTooLong = false;
        /// The content of the few types whose value decides whether the copy
        /// is kept (a password manager's hint, a list of file URLs).
        QMap<QString, QByteArray> markers;
        /// The application of the active window when the copy was noticed.
        std::optional<QString> sourceAppName;
        /// The owner did not answer in time; nothing was read.
        bool timedOut = false;
    };
    using ReadHandler = std::function<void(const Contents&)>;
    /// Decides, from the types and markers, whether the text is read at
    /// all, so a password marked as such never enters our memory. Called on
    /// the reader's own thread: it must not touch shared state.
    using WantsText = std::function<bool(const Contents&)>;

    using QObject::QObject;

    /// Moves whenever anyone writes the clipboard.
    virtual int changeCount() const = 0;
    /// Reads the clipboard; `done` runs later on the GUI thread.
    virtual void read(WantsText wantsText, ReadHandler done) = 0;
    /// Puts `text` on the clipboard, with `marker` as an extra type so the
    /// change it causes can be told apart. False when the write failed.
    virtual bool writeText(const QString& text, const QString& marker) = 0;
    /// Puts files on the clipboard as file managers do (a URI list, and
    /// GNOME's copied-files type). False when the write failed.
    virtual bool writeFiles(const QList<QUrl>& files) = 0;

Q_SIGNALS:
    /// The counter moved.
    void changed();
};
