# The Debian package (`make package`): CPack's DEB generator over the install
# rules of cmake/KelvaraInstall.cmake, installed under /usr.

# One version for the program and the package: the one the About dialog shows.
file(STRINGS ${CMAKE_SOURCE_DIR}/app/shell/AppVersion.h _kelvara_version_line REGEX "kAppVersion = ")
string(REGEX MATCH "\"([^\"]+)\"" _ ${_kelvara_version_line})
set(KELVARA_VERSION ${CMAKE_MATCH_1})
# Debian versions allow digits, letters and . + ~ (a hyphen only before the
# revision); anything else becomes '.', and the version must start with a digit.
string(REGEX REPLACE "[^0-9A-Za-z.+~]" "." KELVARA_DEBIAN_VERSION "${KELVARA_VERSION}")
if(NOT KELVARA_DEBIAN_VERSION MATCHES "^[0-9]")
    set(KELVARA_DEBIAN_VERSION "0~${KELVARA_DEBIAN_VERSION}")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelvara)
set(CPACK_PACKAGE_VENDOR "Kelvara developers")
set(CPACK_PACKAGE_VERSION ${KELVARA_DEBIAN_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "live picture and measurements for digital microscope cameras")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "Kelvara developers <developers@kelvara.org>")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The extended description; CPack puts the summary above it and indents it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Kelvara shows the live picture of a USB (V4L2) microscope camera or of a
wireless one reached over the network, adjusts the camera, saves pictures
(TIFF, PNG, BMP, JPEG) and H.264 videos, and measures lengths, areas, radii
and angles on the picture in real units through named calibrations, with
CSV export of the results.

The package also holds kelvara-wmp-simulator, a simulated wireless camera.")
# Depends: from the shared libraries the programs link (dpkg-shlibdeps), plus
# the font the label font links to and xdg-open for "open folder".
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${KELVARA_LABEL_FONT_PACKAGE}, xdg-utils")
if(NOT KELVARA_LABEL_FONT_PACKAGE STREQUAL "fonts-wqy-microhei")
    # Chinese and Korean texts need a CJK font.
    set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei")
endif()
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

include(CPack)
