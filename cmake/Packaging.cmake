# `cpack -G DEB` in the build folder makes a Debian package of what `cmake --install` puts
# in place. The libraries the programs link are found by dpkg-shlibdeps; what they load at
# run time without linking it is declared here.
set(CPACK_PACKAGE_NAME vistrane)
set(CPACK_PACKAGE_VENDOR Weskamor)
set(CPACK_PACKAGE_CONTACT "Vistrane <vistrane@weskamor.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "shrinks photos for mail and the web")
# Lines of at most 80 characters, as Debian's tools show them.
set(CPACK_PACKAGE_DESCRIPTION "Vistrane scales pictures (JPEG, GIF, BMP, HEIC, WebP, TIFF)
so that their longer side has the length you choose, encodes them as JPEG with
the quality and resolution you choose, adjusts brightness, contrast and
colours, converts whole folders and hands pictures to your mail program. Its
user interface is German. plenmar-convert does the same from the command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's further platform plugins and its Wayland platform (GNOME and KDE sessions run on
# Wayland; the X11 one comes with Qt's GUI library), Qt's WebP and TIFF readers, Qt's German
# texts, the mail hand-off, and libheif, which is loaded with the first HEIF file (the version
# dpkg-shlibdeps asked for while the programs linked it).
string(CONCAT CPACK_DEBIAN_PACKAGE_DEPENDS "libheif1 (>= 1.13.0), "
    "qt6-qpa-plugins, qt6-wayland, qt6-image-formats-plugins, qt6-translations-l10n, xdg-utils")
include(CPack)
