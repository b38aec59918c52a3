# The Debian package: `cpack -G DEB` in the build folder gives
# korvalset24_<version>_<arch>.deb with the files of KorvalInstall.cmake.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvalset24)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The korvalset24 developers")
set(CPACK_PACKAGE_CONTACT "The korvalset24 developers <korvalset24@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "configuration tool of the KORVAL 2.4 telescope drive controller")
# Debian wants the long description in lines of at most 80 characters.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "korvalset24 edits the configuration table of the KORVAL 2.4 controller,"
    "which drives the right-ascension and declination axes of a telescope mount"
    "and its focuser with stepper motors: speed levels, backlash take-up, focuser"
    "hold, PEC slicing, motor PWM table and timer interrupt period."
    "."
    "It searches the interrupt period that turns the worm at the right rate,"
    "saves .kv2 parameter files and writes beside each one the Intel HEX image"
    "for the board's programmer. The companion korvalset24-cli does the same"
    "from scripts or over SSH. The user interface is in French.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
# Depends comes from the libraries the programs link (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A cross-build for 64-bit ARM makes the arm64 package; dpkg-shlibdeps then
# reads the arm64 libraries of the multiarch folders.
if(CMAKE_CROSSCOMPILING AND CMAKE_SYSTEM_PROCESSOR STREQUAL "aarch64")
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# cpack's .deb keeps the umask in its members' and folders' modes: each is
# packed again by dpkg-deb, the same bytes from every build of a commit.
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/KorvalDebRepack.cmake)
set(CPACK_KORVAL_SOURCE_DATE_EPOCH ${KORVAL_SOURCE_DATE_EPOCH})

include(CPack)
