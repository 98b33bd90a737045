# The Debian package, built by `cpack -G DEB` (scripts/package). Library
# dependencies come from dpkg-shlibdeps; the rest are what the program loads
# or runs without linking it: Qt's QML modules and platform plugin, the SVG
# icon engine (themes' icons) and the icon font. A font comes with Qt's own dependencies (fontconfig-config).
set(BRIMWELL_HOMEPAGE "https://larkmoor.example/brimwell" CACHE STRING
  "Home page named in the package and the AppStream metadata; its screenshot is <home page>/screenshots/island.png")
set(CPACK_PACKAGE_NAME brimwell)
set(CPACK_PACKAGE_VENDOR Larkmoor)
set(CPACK_PACKAGE_CONTACT "Brimwell maintainers <maintainers@users.noreply.c-seed-62932338.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "clock, music, calendar, clipboard and shelf at the top of the screen")
set(CPACK_PACKAGE_DESCRIPTION "Brimwell keeps a small black island at the top centre of the screen
that shows the clock and battery, the playing track, or the volume and
brightness level while a media key is pressed. Hovering it opens Now
Playing (MPRIS players), Calendar (Evolution Data Server and iCalendar
files), Clipboard history and Shelf tabs.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The package's own revision of that version (0.1.0-1): Brimwell is not a
# Debian-native package.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${BRIMWELL_HOMEPAGE})
# dpkg-shlibdeps reads every ELF file in the package: the program and the
# Calendar module (libecal and its libraries).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-material-design-icons-iconfont, qt6-qpa-plugins, libqt6svg6, \
qml6-module-qtquick, qml6-module-qtquick-controls, qml6-module-qtquick-shapes, qml6-module-qtquick-templates, qml6-module-qtquick-window, \
qml6-module-qtquick-layouts, qml6-module-qtqml-workerscript")
# Evolution Data Server's daemons serve the desktop's calendars; xdg-utils
# opens files and writes e-mails; KDE Connect sends files to a device.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "evolution-data-server, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "kdeconnect")
# Maintainer scripts and md5sums with the modes Debian's policy asks for.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
