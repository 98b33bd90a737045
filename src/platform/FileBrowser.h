#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

/// The desktop's file browser and default applications.
class FileBrowser : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    /// Opens the file with its default application.
    virtual void open(const QUrl& file) = 0;
    /// Opens the file browser with these files selected, or, where no file
    /// browser offers that, their folders. Never waits on the GUI thread.
    virtual void reveal(const QList<QUrl>& files) = 0;
};
