#pragma once

#include "HUDPresenter.h"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <algorithm>

/// What the HUD icon and level bar show for one state: the symbol, the
/// bar's value and the spoken label.
// Not final: QML derives from the types it creates.
class HUDIconLogic : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(HUDKinds::HUDKind kind MEMBER m_kind NOTIFY inputsChanged FINAL)
    Q_PROPERTY(double level MEMBER m_level NOTIFY inputsChanged FINAL)
    Q_PROPERTY(bool isMuted MEMBER m_isMuted NOTIFY inputsChanged FINAL)

    /// The symbol of the level shown: a speaker or a sun.
    Q_PROPERTY(QString systemImage READ systemImage NOTIFY inputsChanged FINAL)
    /// The symbol drawn: the speaker's waves follow the level, as far as
    /// the icon font has wave counts to show it.
    Q_PROPERTY(QString drawnImage READ drawnImage NOTIFY inputsChanged FINAL)
    /// "Volume muted", or "Volume 74 percent" / "Brightness 50 percent";
    /// an over-amplified sink gives its real percentage, "Volume 120 percent".
    Q_PROPERTY(QString accessibleName READ accessibleName NOTIFY inputsChanged FINAL)
    /// The level bar's value: 0 while muted, full above the normal volume.
    Q_PROPERTY(double barValue READ barValue NOTIFY inputsChanged FINAL)
public:
    explicit HUDIconLogic(QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(HUDIconLogic)

    static QString systemImage(const HUDState& state);
    /// The level the symbol fills its waves by; negative when it has none.
    static double variableValue(const HUDState& state);
    static QString drawnImage(const HUDState& state);
    static QString accessibleName(const HUDState& state);
    static double barValue(const HUDState& state) { return state.isMuted ? 0 : std::min(state.level, 1.0); }

    QString systemImage() const { return systemImage(state()); }
    QString drawnImage() const { return drawnImage(state()); }
    QString accessibleName() const { return accessibleName(state()); }
    double barValue() const { return barValue(state()); }

Q_SIGNALS:
    void inputsChanged();

private:
    HUDState state() const { return { m_kind, m_level, m_isMuted }; }

    HUDKind m_kind = HUDKind::volume;
    double m_level = 0;
    bool m_isMuted = false;
};
