#pragma once

#include "ScreenSource.h"

#include <QHash>
#include <QSet>
#include <QSizeF>

#include <memory>
#include <optional>

class Login1Manager;
class QScreen;
class UserDefaults;
class X11TopPanels;

/// The screens as Qt reports them, with a stable display UUID made from each
/// display's EDID (or its output name) and a notch taken from the
/// "DisplayNotches" group of the defaults file, since Linux reports none.
/// Resume from sleep comes from logind on the system bus, when there is one.
/// On X11 the top panels come from the panels' struts (X11TopPanels).
class QtScreenSource final : public ScreenSource {
    Q_OBJECT
public:
    explicit QtScreenSource(UserDefaults& defaults, QObject* parent = nullptr);
    ~QtScreenSource() override;
    Q_DISABLE_COPY_MOVE(QtScreenSource)

    QList<PlatformScreen> screens() const override;
    void setNotchSize(const PlatformScreen& screen, const std::optional<QSizeF>& size) override;

    /// Name-based UUID text from the EDID identity, or from the output name
    /// when the EDID gives none.
    static QString displayUUID(
        const QString& manufacturer, const QString& model, const QString& serial, const QString& outputName);
    /// Gives identical monitors (same EDID, no serial) ids of their own: the
    /// one on the first output by name keeps the shared id, each other one
    /// gets an id made from it and its output name.
    static void makeDisplayIDsUnique(QList<PlatformScreen>& screens);
    /// The display's human name: its EDID model, "Built-in Display" for a
    /// laptop panel without one, else the output name.
    static QString localizedName(const QString& manufacturer, const QString& model, const QString& outputName);
    /// "WIDTHxHEIGHT" with both above 0; absent otherwise.
    static std::optional<QSizeF> parseNotchSize(const QString& text);
    /// Describes a notch of `size` centred on the top edge of `screen`.
    static void applyNotch(PlatformScreen& screen, const QSizeF& size);
    /// Writes `size` ("WIDTHxHEIGHT") for `screen` to the "DisplayNotches"
    /// group under the key read for it (its display id, or its output name
    /// where only that is set); no size removes both keys.
    static void writeNotchSize(UserDefaults& defaults, const PlatformScreen& screen, const std::optional<QSizeF>& size);

private:
    void watch(QScreen* screen);
    void scheduleChange();
    void followSleep();
    std::optional<QSizeF> notchOverride(const QHash<QString, QString>& overrides, const PlatformScreen& screen) const;

    UserDefaults& m_defaults;
    Login1Manager* m_login1 = nullptr;
    std::unique_ptr<X11TopPanels> m_topPanels;
    bool m_changePending = false;
    // Bad override values already reported, so each is logged once.
    mutable QSet<QString> m_reportedOverrides;
};
