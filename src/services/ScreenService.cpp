#include "ScreenService.h"

ScreenService::ScreenService(ScreenSource& source, QObject* parent)
    : QObject(parent)
    , m_source(source)
    , m_displays(displayList(source.screens()))
{
    connect(&m_source, &ScreenSource::screensChanged, this, &ScreenService::screensDidChange);
    connect(&m_source, &ScreenSource::screensDidWake, this, &ScreenService::screensDidChange);
}

void ScreenService::screensDidChange()
{
    QList<DisplayInfo> current = displayList(m_source.screens());
    if (current != m_displays) {
        m_displays = std::move(current);
        Q_EMIT displaysChanged();
    }
    Q_EMIT screenParametersDidChange();
}

std::optional<QRectF> ScreenService::notchFrame(const PlatformScreen& screen)
{
    if (!(screen.topInset > 0))
        return std::nullopt;
    if (!screen.auxiliaryTopLeftArea || !screen.auxiliaryTopRightArea)
        return std::nullopt;
    const QRectF frame(screen.frame);
    const qreal leftWidth = screen.auxiliaryTopLeftArea->width();
    const qreal width = frame.width() - leftWidth - screen.auxiliaryTopRightArea->width();
    if (!(width > 0))
        return std::nullopt;
    // y-down: the notch hangs from the screen's top edge.
    return QRectF(frame.left() + leftWidth, frame.top(), width, screen.topInset);
}

QList<DisplayInfo> ScreenService::displayList(const QList<PlatformScreen>& screens)
{
    QList<DisplayInfo> result;
    for (const PlatformScreen& screen : screens) {
        if (!screen.displayUUID || screen.displayUUID->isEmpty())
            continue;
        result.append(DisplayInfo { *screen.displayUUID, screen.localizedName, notchFrame(screen).has_value() });
    }
    return result;
}

std::optional<PlatformScreen> ScreenService::chooseScreen(
    const QList<PlatformScreen>& screens, const std::optional<QString>& displayID)
{
    if (displayID) {
        for (const PlatformScreen& screen : screens) {
            if (screen.displayUUID && !screen.displayUUID->isEmpty() && *screen.displayUUID == *displayID)
                return screen;
        }
    }
    for (const PlatformScreen& screen : screens) {
        if (notchFrame(screen))
            return screen;
    }
    if (screens.isEmpty())
        return std::nullopt;
    return screens.first();
}

std::optional<PlatformScreen> ScreenService::screen(const std::optional<QString>& displayID) const
{
    return chooseScreen(m_source.screens(), displayID);
}
