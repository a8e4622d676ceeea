# The Debian package that scripts/package builds with cpack: the install under /usr, its shared
# library dependencies found by dpkg-shlibdeps, and the programs the engine and the disc step run.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME reelvane)
set(CPACK_PACKAGE_VENDOR Quillon)
set(CPACK_PACKAGE_CONTACT "Quillon <reelvane@quillon.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "video converter for devices, discs and other formats")
set(CPACK_PACKAGE_DESCRIPTION "Reelvane converts video and audio files with ready-made profiles for phones,
players, game consoles and the web, and authors DVD-Video and Blu-ray discs and
images from them. It runs as a window or on the command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quillon.example/reelvane")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${REELVANE_INSTALL_LIBDIR})
set(CPACK_DEBIAN_PACKAGE_DEPENDS "ffmpeg, mkvtoolnix, xorriso, dvdauthor, genisoimage, qt6-qpa-plugins, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
