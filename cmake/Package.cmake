# The Debian package: the install tree below /usr (laid out in the top
# CMakeLists), with the copyright file and changelog Debian asks for. Built
# with `cmake --build <dir> --target package`.

get_property(TOLM_PROGRAMS GLOBAL PROPERTY TOLM_PROGRAMS)

# The changelog ships compressed without name or time stamp, so the same
# sources give the same package.
set(TOLM_CHANGELOG ${CMAKE_BINARY_DIR}/package/changelog.gz)
add_custom_command(
  OUTPUT ${TOLM_CHANGELOG}
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/cmake/debian/changelog ${CMAKE_BINARY_DIR}/package/changelog
  COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/package/changelog
  DEPENDS ${CMAKE_SOURCE_DIR}/cmake/debian/changelog
  VERBATIM)
add_custom_target(changelog ALL DEPENDS ${TOLM_CHANGELOG})
install(FILES cmake/debian/copyright ${TOLM_CHANGELOG} DESTINATION share/doc/tolm)

# Loaded at run time, so no linker records them: the database driver and the
# desktop opener of File > Open and the Help menu. scripts/packages.sh lists them too.
set(TOLM_RUNTIME_PACKAGES libqt6sql6-sqlite xdg-utils)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tolm)
set(CPACK_PACKAGE_VENDOR Quellwerk)
set(CPACK_PACKAGE_CONTACT "Tolm maintainers <tolm@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "ground support station for the Advanced Korvel vibration unit")
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
       "tolm-mirvak checks the link to the Advanced Korvel engine vibration unit,"
       "downloads its recorded flights into text reports and raw files, plots"
       "and exports them, and uploads the unit's software. tolm-cli runs the"
       "same jobs without a window; mirvak-sim plays the unit for training and"
       "tests.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# dpkg-shlibdeps names the libraries the programs link; the rest is added by hand.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
list(JOIN TOLM_RUNTIME_PACKAGES ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
# Help opens the PDF documents.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "mupdf | pdf-viewer")
include(CPack)

if(TOLM_BUILD_TESTS)
  # Builds the package from this tree, runs lintian on it, installs it into a
  # scratch root, starts the programs from there and removes it again.
  add_test(NAME debian_package
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/check_package.sh ${CMAKE_BINARY_DIR} ${TOLM_PROGRAMS})
  # Alone: building the package first brings the tree up to date, which after a
  # commit relinks the programs that the other tests execute.
  set_tests_properties(debian_package PROPERTIES TIMEOUT 900 SKIP_RETURN_CODE 77 RUN_SERIAL TRUE)
endif()
