# `cpack -G DEB` in a build tree (`make package` at the top) makes a Debian package of both
# programs; the dependencies are computed from the binaries by dpkg-shlibdeps (dpkg-dev).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME morvex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT
    "The MORVEX developers <maintainers@users.noreply.c-seed-f2914af5.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "converter of .ce2 schematic drawings into .ce3 files")
set(CPACK_PACKAGE_DESCRIPTION
    "MORVEX converts schematic drawings from the old binary .ce2 format of a
circuit-diagram editor into its line-oriented .ce3 text format, byte for
byte as the editor itself writes them, giving every comment one of two
replacement fonts. It offers a dialog (morvex) on which files are dropped,
and a command-line converter (morvex-cli) that also searches directories
and can draw each drawing as SVG. Messages are in English or Japanese.")
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window icon is SVG, read through Qt's SVG icon engine, which no binary links.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
# Qt's own buttons in the user's language.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)

execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE MORVEX_DEB_ARCHITECTURE
                OUTPUT_STRIP_TRAILING_WHITESPACE)
set(MORVEX_DEB_FILE
    ${CPACK_PACKAGE_NAME}_${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}_${MORVEX_DEB_ARCHITECTURE}.deb)
include(CPack)
