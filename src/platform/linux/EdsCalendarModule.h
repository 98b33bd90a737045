#pragma once

#include <QString>

class CalendarStore;
class QObject;

/// Evolution Data Server's store lives in a module of its own in the private
/// private library folder: libecal and what it brings (libedataserver, libcamel,
/// libsoup, sqlite, NSS, Kerberos, libsecret, libxml2) take about 13 MB once
/// mapped, which a user who never allowed the calendar should not pay.
namespace EdsCalendarModule {

/// The module's one entry point: a store over the INI file `settingsPath`, a child of `parent`.
using Create = CalendarStore* (*)(const QString& settingsPath, QObject* parent);
inline constexpr const char* createFunction = "brimwell_create_eds_calendar_store";

/// The module in the program's private library folder.
QString standardPath();

/// Loads the module at `path` and makes its store; null, with one line in
/// the log naming the file and the error, when it cannot.
CalendarStore* load(const QString& path, const QString& settingsPath, QObject* parent);

} // namespace EdsCalendarModule
