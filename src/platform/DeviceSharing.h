#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

/// Sending files away: to the user's paired devices (KDE Connect) and by
/// e-mail. What is on offer is learnt asynchronously and follows the
/// services coming and going (`availabilityChanged`).
class DeviceSharing : public QObject {
    Q_OBJECT
public:
    struct Device {
        QString id;
        QString name;
        friend bool operator==(const Device&, const Device&) = default;
    };
    using QObject::QObject;

    /// The paired devices that can be reached now, as last learnt.
    virtual QList<Device> devices() const = 0;
    /// Whether an e-mail program can be started with attachments.
    virtual bool canEmail() const = 0;
    /// Shares the files to the device; false when it is not known or not reachable.
    virtual bool send(const QList<QUrl>& files, const QString& deviceId) = 0;
    /// Opens a new e-mail with the files attached.
    virtual void email(const QList<QUrl>& files) = 0;

Q_SIGNALS:
    void availabilityChanged();
};
