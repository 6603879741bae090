# The Debian package of the installed game (cpack -G DEB).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME perlobin)
set(CPACK_PACKAGE_VENDOR "Gli sviluppatori di Perlobin")
set(CPACK_PACKAGE_CONTACT "Gli sviluppatori di Perlobin <perlobin@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "gioco per imparare a leggere i numeri in base 2")
# CPack puts the summary first and indents this below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Un abaco a cinque colonne (16, 8, 4, 2, 1) mostra un numero da 1 a 31,
scritto accanto in base 2; il bambino scrive il suo valore e il mago Merlin
gli dice, a voce e in un fumetto, se è giusto. Il gioco non conserva alcun
dato sul bambino e non scrive alcun file.")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://github.com/perlobin/perlobin")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Shared libraries come from dpkg-shlibdeps; what is loaded later (image and icon plugins, the
# voice's data, fonts, Qt's Italian words) it cannot see. The xcb platform plugin is in libqt6gui6
# and the sound output inside libqt6multimedia6 itself (through libpulse): shlibdeps finds both.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The voice's interface library is the package's own, beside its plugin (found from the package's
# staging folder, where dpkg-shlibdeps runs).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "usr/${CMAKE_INSTALL_LIBDIR}/perlobin")
# The SVG picture and icon plugins draw the buttons' pictures: the package that holds them on the
# release the game is built on (qt6-svg-plugins since Debian 13, libqt6svg6 before).
set(svg_icon_plugin "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_PLUGINS}/iconengines/libqsvgicon.so")
execute_process(COMMAND dpkg-query -S "${svg_icon_plugin}" OUTPUT_VARIABLE svg_plugins_owner
                RESULT_VARIABLE svg_plugins_status ERROR_QUIET)
if(svg_plugins_status EQUAL 0 AND svg_plugins_owner MATCHES "^([^:,]+)")
    set(svg_plugins_package "${CMAKE_MATCH_1}")
else()
    message(WARNING "No Debian package holds ${svg_icon_plugin}: the package depends on libqt6svg6")
    set(svg_plugins_package libqt6svg6)
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "${svg_plugins_package}, libqt6multimedia6, espeak-ng-data, fonts-liberation, fonts-dejavu-core, qt6-translations-l10n")
# Without a sound server Merlin is only read, not heard.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse")
install(FILES "${CMAKE_CURRENT_LIST_DIR}/copyright" DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/perlobin")
include(CPack)
