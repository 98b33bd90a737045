#include "SymbolCatalog.h"

#include "Log.h"

#include <QFontDatabase>
#include <QHash>
#include <QSet>

#include <cmath>

namespace {
BRIMWELL_LOGGING_CATEGORY(lcControls, "brimwell.controls", "Island")
} // namespace

namespace {
// Names on the left are the ones the views use; on the right the Material
// Icons glyph that shows the same thing.
const QHash<QString, char32_t>& table()
{
    static const QHash<QString, char32_t> map = {
        { QStringLiteral("switch.2"), 0xe9f6 }, // toggle_on
        { QStringLiteral("gearshape.fill"), 0xe8b8 }, // settings
        { QStringLiteral("music.note"), 0xe405 }, // music_note
        { QStringLiteral("play.fill"), 0xe037 }, // play_arrow
        { QStringLiteral("pause.fill"), 0xe034 }, // pause
        { QStringLiteral("forward.fill"), 0xe01f }, // fast_forward
        { QStringLiteral("backward.fill"), 0xe020 }, // fast_rewind
        { QStringLiteral("speaker.slash.fill"), 0xe04f }, // volume_off
        { QStringLiteral("speaker.wave.1.fill"), 0xe04d }, // volume_down
        { QStringLiteral("speaker.wave.2.fill"), 0xe050 }, // volume_up
        { QStringLiteral("speaker.wave.3.fill"), 0xe050 }, // volume_up
        { QStringLiteral("sun.min.fill"), 0xe1ad }, // brightness_low
        { QStringLiteral("sun.max.fill"), 0xe1ac }, // brightness_high
        { QStringLiteral("bolt.fill"), 0xea0b }, // bolt
        { QStringLiteral("battery.100percent"), 0xe1a4 }, // battery_full
        { QStringLiteral("battery.75percent"), 0xebd4 }, // battery_5_bar
        { QStringLiteral("battery.50percent"), 0xebdd }, // battery_3_bar
        { QStringLiteral("battery.25percent"), 0xebe0 }, // battery_2_bar
        { QStringLiteral("battery.0percent"), 0xebdc }, // battery_0_bar
        { QStringLiteral("calendar"), 0xe935 }, // calendar_today
        { QStringLiteral("calendar.badge.exclamationmark"), 0xe615 }, // event_busy
        { QStringLiteral("chevron.left"), 0xe5cb }, // chevron_left
        { QStringLiteral("chevron.right"), 0xe5cc }, // chevron_right
        { QStringLiteral("doc.on.clipboard"), 0xe14f }, // content_paste
        { QStringLiteral("doc"), 0xe24d }, // insert_drive_file
        { QStringLiteral("checkmark"), 0xe5ca }, // check
        { QStringLiteral("tray.and.arrow.down"), 0xe168 }, // move_to_inbox
        { QStringLiteral("tray.and.arrow.down.fill"), 0xe168 }, // move_to_inbox
        { QStringLiteral("rectangle.topthird.inset.filled"), 0xe069 }, // web_asset
        { QStringLiteral("info"), 0xe88e }, // info
        // For activities other programs post.
        { QStringLiteral("timer"), 0xe425 }, // timer
        { QStringLiteral("hourglass"), 0xe88b }, // hourglass_empty
        { QStringLiteral("arrow.down.to.line"), 0xe2c4 }, // file_download
        { QStringLiteral("phone.fill"), 0xe0cd }, // phone
        { QStringLiteral("record.circle"), 0xe061 }, // fiber_manual_record
        { QStringLiteral("hammer.fill"), 0xe869 }, // build
        { QStringLiteral("video.fill"), 0xe04b }, // videocam
        { QStringLiteral("xmark"), 0xe5cd }, // close
    };
    return map;
}

QString& loadedFamily()
{
    static QString family;
    return family;
}
} // namespace

SymbolCatalog::SymbolCatalog(QObject* parent)
    : QObject(parent)
{
}

QString SymbolCatalog::fontPath()
{
    return QStringLiteral("/usr/share/fonts/truetype/material-design-icons-iconfont/MaterialIcons-Regular.ttf");
}

bool SymbolCatalog::loadFont()
{
    if (!loadedFamily().isEmpty())
        return true;
    const int id = QFontDatabase::addApplicationFont(fontPath());
    const QStringList families = id < 0 ? QStringList() : QFontDatabase::applicationFontFamilies(id);
    if (families.isEmpty()) {
        qCCritical(lcControls, "Symbol font %s could not be loaded; symbols are not drawn", qUtf8Printable(fontPath()));
        return false;
    }
    loadedFamily() = families.first();
    return true;
}

QString SymbolCatalog::fontFamily()
{
    return loadedFamily();
}

QStringList SymbolCatalog::names()
{
    QStringList list = table().keys();
    list.sort();
    return list;
}

char32_t SymbolCatalog::codePoint(const QString& name)
{
    return table().value(name, 0);
}

QString SymbolCatalog::glyph(const QString& name)
{
    const char32_t cp = codePoint(name);
    if (cp == 0) {
        static QSet<QString> reported;
        if (!name.isEmpty() && !reported.contains(name)) {
            reported.insert(name);
            qCCritical(lcControls, "No glyph for symbol %s", qUtf8Printable(name));
        }
        return {};
    }
    return QString::fromUcs4(&cp, 1);
}

int SymbolCatalog::pixelSize(double size)
{
    return std::max(1, int(std::lround(size * 1.25)));
}
