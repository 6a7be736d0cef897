# `cpack -G DEB`: a Debian package of what `cmake --install` puts in place. Its dependencies are
# the run-time libraries dpkg-shlibdeps finds the installed program linked against (dpkg-dev).
set(CPACK_PACKAGE_NAME vellum)
set(CPACK_PACKAGE_VENDOR Quillon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Take Windows executables apart and build them back")
set(CPACK_PACKAGE_DESCRIPTION
  "Vellum opens Windows executables, libraries, visual styles (.msstyles) and 16-bit icon \
libraries (.icl), writes their resources into a project folder and compiles the folder back \
into a working executable. A Qt window views and edits the resources; a command line does the \
same work in batches.")
set(CPACK_PACKAGE_HOMEPAGE_URL https://quillon.example/vellum)
set(CPACK_PACKAGE_CONTACT "Quillon <support@quillon.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Quillon <support@quillon.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)

include(CPack)
