# The Debian package: `cpack -G DEB` in a build folder packs what
# `cmake --install` installs, under /usr. Its dependencies are those of the
# shared libraries the program links (dpkg-shlibdeps), plus the drivers that
# are loaded at run time and so escape that scan.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessaview)
set(CPACK_PACKAGE_VENDOR "Tessaview maintainers")
set(CPACK_PACKAGE_CONTACT "Tessaview maintainers <maintainers@tessaview.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer for triangle-mesh models")
# Lines of the long description stay under 80 columns, as dpkg shows them.
set(CPACK_PACKAGE_DESCRIPTION "Tessaview shows triangle-mesh models written by a game-asset exporter,
in XML or packed BIN form, and OBJ, PLY, STL, glTF 2, FBX and COLLADA files.
It draws them in a window or headless to a PNG file, reports on them and
converts between formats. File managers show its pictures of model files as
thumbnails.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TESSA_HOMEPAGE_URL}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Mesa's EGL and its software renderer (llvmpipe) are opened by libEGL at run
# time; without them neither the window nor a snapshot gets an OpenGL context.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libegl-mesa0, libgl1-mesa-dri")

include(CPack)
