#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

/// What the battery indicator shows for one status: the percentage, the
/// symbol and its colour, and the spoken label.
// Not final: QML derives from the types it creates.
class BatteryIndicatorLogic : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(int level MEMBER m_level NOTIFY inputsChanged FINAL)
    Q_PROPERTY(bool isCharging MEMBER m_isCharging NOTIFY inputsChanged FINAL)
    Q_PROPERTY(bool isPluggedIn MEMBER m_isPluggedIn NOTIFY inputsChanged FINAL)

    /// The level and "%", e.g. "87%".
    Q_PROPERTY(QString text READ text NOTIFY inputsChanged FINAL)
    /// A bolt on external power, else a battery filled to the level.
    Q_PROPERTY(QString systemImage READ systemImage NOTIFY inputsChanged FINAL)
    /// Green while charging, red at 20 % or less on battery, else white.
    Q_PROPERTY(QColor iconColor READ iconColor NOTIFY inputsChanged FINAL)
    /// "Battery 54 percent", with ", charging" or ", plugged in".
    Q_PROPERTY(QString accessibleName READ accessibleName NOTIFY inputsChanged FINAL)
public:
    explicit BatteryIndicatorLogic(QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(BatteryIndicatorLogic)

    static QString text(int level);
    static QString systemImage(int level, bool isCharging, bool isPluggedIn);
    static QColor iconColor(int level, bool isCharging, bool isPluggedIn);
    static QString accessibleName(int level, bool isCharging, bool isPluggedIn);

    QString text() const { return text(m_level); }
    QString systemImage() const { return systemImage(m_level, m_isCharging, m_isPluggedIn); }
    QColor iconColor() const { return iconColor(m_level, m_isCharging, m_isPluggedIn); }
    QString accessibleName() const { return accessibleName(m_level, m_isCharging, m_isPluggedIn); }

Q_SIGNALS:
    void inputsChanged();

private:
    int m_level = 0;
    bool m_isCharging = false;
    bool m_isPluggedIn = false;
};
