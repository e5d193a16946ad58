# The Debian package for classroom machines (scripts/package.sh runs cpack):
# both programs, the desktop entry, icon and metainfo (installed in app/), the
# manual pages (docs/man/) and the copyright file; the libraries it depends on
# are read from the programs by dpkg-shlibdeps, and Qt's Japanese translation,
# which the window loads by name, is added to them.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/morilux)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME morilux)
set(CPACK_PACKAGE_VENDOR "Morilux developers")
set(CPACK_PACKAGE_CONTACT "Morilux developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "See how a QR Code symbol is read, stage by stage")
set(CPACK_PACKAGE_DESCRIPTION [[
Morilux is a teaching tool that reads one QR Code symbol from a photograph
or a scan and shows every stage of the decoding on a page of its own, from
the binarized picture to the Reed-Solomon correction and the decoded text.
Students change the decoder's three parameters and see at which stage a
picture stops being readable, and why.

The command-line program morilux-cli runs the same decoder without a window
and writes every stage's pictures and text, an HTML report or a JSON summary.
It also makes sample symbols to order (version, level, mask, encoded by
libqrencode), photographed on demand, and analyses them.]])
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-translations-l10n)
# The window's Japanese captions and messages need a font that has them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-noto-cjk)
# morilux_<version>_<architecture>.deb
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The package is Debian's only: no source package, no other generator.
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
