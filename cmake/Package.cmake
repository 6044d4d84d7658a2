# The Debian package of the menu: cpack -G DEB in a Release tree. The desktop databases, the
# MIME database and the icon cache are brought up to date by the triggers of the packages that
# own them (desktop-file-utils, shared-mime-info, hicolor-icon-theme), so the package needs no
# maintainer scripts of its own.
set(CPACK_PACKAGE_NAME torvaxp)
set(CPACK_PACKAGE_VENDOR "Torva")
set(CPACK_PACKAGE_CONTACT "torvaxp developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "autorun menu of the Torva games magazine's cover disc")
set(CPACK_PACKAGE_DESCRIPTION "Browses a cover disc's catalogue in one skinned window, runs and
installs its demos, games and tools (Windows setups through Wine), remembers what was installed
across discs and uninstalls it again. Reads disc folders and ISO 9660, cue sheet and NRG images.
Comes with a sample disc and torvatool, the command-line tools for disc authors.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# SDL2, FreeType, fontconfig, libjpeg, libpng and libcdio come from the programs' own links.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The faces the menu draws with where a disc brings none ("Tahoma", "MS Sans Serif") and the
# fallback fontconfig finds for the rest.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wine, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "wine, wine32, wine64, xdg-utils")
set(CPACK_GENERATOR DEB)

include(CPack)
