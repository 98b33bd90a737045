#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariantMap>

/// The properties of one interface of one D-Bus object: read whole with an
/// asynchronous GetAll, then kept by the PropertiesChanged its owner hands
/// over (one broad match serves many objects, so subscribing stays with the
/// owner). Some services answer GetAll from a state older than a change they
/// signalled before the answer: signalled values stand over it. Only the
/// answer to the newest GetAll counts, and none arrives once the mirror is
/// gone.
class DBusPropertyMirror final : public QObject {
    Q_OBJECT
public:
    /// `service` should be a unique name, so Qt never asks the bus for the
    /// owner with a blocking call.
    DBusPropertyMirror(const QDBusConnection& bus, const QString& service, const QString& path, const QString& interface,
        int timeoutMs = -1, QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(DBusPropertyMirror)

    const QString& path() const { return m_path; }
    const QString& interface() const { return m_interface; }
    /// What is known now: the last answer with every signalled value over it.
    const QVariantMap& values() const { return m_values; }

    /// Asks for every property again.
    void readAll();
    /// Takes a PropertiesChanged of this object and interface. Invalidated
    /// properties are dropped and everything is read again.
    void apply(const QVariantMap& changed, const QStringList& invalidated);

Q_SIGNALS:
    /// A GetAll answer was taken; values() holds it.
    void read();
    /// The newest GetAll failed; values() is unchanged.
    void readFailed(const QString& message);

private:
    QDBusConnection m_bus;
    QString m_service;
    QString m_path;
    QString m_interface;
    int m_timeoutMs;
    QVariantMap m_values;
    quint64 m_read = 0;
    // Signalled since the newest GetAll was sent.
    QSet<QString> m_signalledSinceRead;
};
