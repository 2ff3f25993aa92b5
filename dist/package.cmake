# `cpack -G DEB` in a build directory makes velmora_VERSION_amd64.deb of what `cmake --install` puts
# under /usr. dpkg-shlibdeps finds the libraries the program links; the rest it reads at run time.
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR "Velmora developers")
set(CPACK_PACKAGE_CONTACT "Velmora developers <velmora@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "webmaster's tools: site services, pictures and codes for a page")
# Lines of the description stay within 80 columns, its leading space counted.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "A small utility for webmasters and search-engine optimisers, with a\n\
Russian-language interface. Type a site address, and its buttons and menus\n\
open web services about the site in the browser, fetch pictures about it,\n\
write HTML and BBCODE snippets to copy, and search a word in a chosen engine.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Read at run time: libcurl (opened at the first download), the window fonts, the X platform
# plugin, Qt's own Russian texts, the opener of addresses, and the certificates for services that
# redirect to https.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libcurl4, fonts-wine, qt6-qpa-plugins, qt6-translations-l10n, xdg-utils, ca-certificates")

include(CPack)
