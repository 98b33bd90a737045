#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

/// The system clipboard as the history sees it: a counter that moves on
/// every change, and an asynchronous read of what is on it. Reads never
/// wait on the GUI thread for the clipboard's owner.
class SystemClipboard : public QObject {
    Q_OBJECT
public:
    /// What a copy is, as the types on offer tell.
    enum class Kind {
        /// Nothing, or something other than what follows.
        plain,
        /// Marked by the copying program as a password, or as transient or
        /// generated content not to be kept.
        secret,
        /// Files copied or cut in a file manager.
        files,
        /// Our own write.
        own,
    };
    /// What the clipboard held when read.
    struct Contents {
        Kind kind = Kind::plain;
        /// The plain text of a plain copy; absent when there is none, for
        /// every other kind (never read), or when it is longer than the
        /// reader's bound (then `isTooLong`).
        std::optional<QString> text;
        bool isTooLong = false;
        /// The application of the active window when the copy was noticed.
        std::optional<QString> sourceAppName;
        /// The owner did not answer in time; nothing was read.
        bool timedOut = false;
    };
    using ReadHandler = std::function<void(const Contents&)>;

    using QObject::QObject;

    /// Moves whenever anyone writes the clipboard.
    virtual int changeCount() const = 0;
    /// Reads the clipboard; `done` runs later on the GUI thread. The text of
    /// a copy that is not plain is never read, so a password marked as such
    /// never enters our memory.
    virtual void read(ReadHandler done) = 0;
    /// Puts `text` on the clipboard, marked so that reading it back gives
    /// `Kind::own`. False when the write failed.
    virtual bool writeText(const QString& text) = 0;
    /// Puts files on the clipboard as file managers do (a URI list, and
    /// GNOME's copied-files type). False when the write failed.
    virtual bool writeFiles(const QList<QUrl>& files) = 0;

Q_SIGNALS:
    /// The counter moved.
    void changed();
};
