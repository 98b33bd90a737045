#pragma once

#include "LiveActivity.h"

#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <optional>

/// The rules for what callers send: texts, hints and their types. Nothing a
/// caller sends may make the program read a file or show markup, so symbols
/// are bare names and texts are shown as plain text.
namespace ActivityHints {

inline constexpr int maxTitleLength = 120;
inline constexpr int maxSubtitleLength = 200;
inline constexpr int maxAppIdLength = 255;
inline constexpr int maxSymbolLength = 100;
inline constexpr int maxActionLength = 40;
inline constexpr int maxActions = 2;

/// Why `text` may not be shown as a title of `maxLength` characters; none
/// when it may. `what` names it in the message.
std::optional<QString> textProblem(const QString& text, int maxLength, const char* what, bool mayBeEmpty = false);

/// A bare icon name: letters, digits and ._+- , no path, at most maxSymbolLength.
bool isIconName(const QString& name);

/// Applies `hints` to `activity`, all or nothing. Returns why they were
/// refused, if they were. Names the known hints don't include are left out
/// and added to `unknown`. `atStart` allows `owned`, which only Start may set.
std::optional<QString> apply(
    LiveActivity& activity, const QVariantMap& hints, qint64 nowMs, bool atStart, QStringList* unknown = nullptr);

} // namespace ActivityHints
