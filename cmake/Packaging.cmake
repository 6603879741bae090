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
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6svg6, libqt6multimedia6, espeak-ng-data, fonts-liberation, fonts-dejavu-core, qt6-translations-l10n")
# Without a sound server Merlin is only read, not heard.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse")
install(FILES "${CMAKE_CURRENT_LIST_DIR}/copyright" DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/perlobin")
include(CPack)
