#include "EdsCalendarModule.h"

#include "AppInfo.h"
#include "PlatformLog.h"

#include <QLibrary>

QString EdsCalendarModule::standardPath()
{
    return AppInfo::main().privateLibraryDir() + QStringLiteral("/" BRIMWELL_EDS_MODULE);
}

CalendarStore* EdsCalendarModule::load(const QString& path, const QString& settingsPath, QObject* parent)
{
    QLibrary library(path);
    // Every symbol bound at load: one the program lacks fails here, in the
    // log, instead of ending the program at its first call.
    library.setLoadHints(QLibrary::ResolveAllSymbolsHint);
    const auto create = reinterpret_cast<Create>(library.resolve(createFunction));
    if (!create) {
        qCWarning(lcPlatformCalendar, "Could not load %s: %s; the calendars of Evolution Data Server are not shown",
            qUtf8Printable(path), qUtf8Printable(library.errorString()));
        return nullptr;
    }
    // Never unloaded: the store's code must stay while the program runs.
    return create(settingsPath, parent);
}
