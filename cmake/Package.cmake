# The Debian package: the installed tree under /opt/tolm, with the programs,
# the desktop entry and the icon linked into /usr, where the PATH and the
# desktop look for them. Built with `cmake --build <dir> --target package`.

set(TOLM_PACKAGE_PREFIX /opt/tolm)
get_property(TOLM_PROGRAMS GLOBAL PROPERTY TOLM_PROGRAMS)

set(TOLM_SYSTEM_LINKS share/applications/tolm-mirvak.desktop share/icons/hicolor/scalable/apps/tolm-mirvak.svg)
foreach(program IN LISTS TOLM_PROGRAMS)
  list(APPEND TOLM_SYSTEM_LINKS bin/${program})
endforeach()

# Only an install into the package's own prefix reaches into /usr (below
# DESTDIR when the package is staged); any other prefix stays self-contained.
install(CODE "set(tolm_links \"${TOLM_SYSTEM_LINKS}\")")
install(CODE "set(tolm_package_prefix \"${TOLM_PACKAGE_PREFIX}\")")
install(CODE [[
  if(CMAKE_INSTALL_PREFIX STREQUAL tolm_package_prefix)
    foreach(link IN LISTS tolm_links)
      set(path "$ENV{DESTDIR}/usr/${link}")
      get_filename_component(folder "${path}" DIRECTORY)
      file(MAKE_DIRECTORY "${folder}")
      file(REMOVE "${path}")
      file(CREATE_LINK "${tolm_package_prefix}/${link}" "${path}" SYMBOLIC)
    endforeach()
  endif()
]])

# Loaded at run time, so no linker records them: the database driver and the
# desktop opener of File > Open and the Help menu. scripts/packages.sh lists them too.
set(TOLM_RUNTIME_PACKAGES libqt6sql6-sqlite xdg-utils)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tolm)
set(CPACK_PACKAGE_VENDOR Quellwerk)
set(CPACK_PACKAGE_CONTACT "Tolm maintainers <tolm@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Ground support station for the Advanced Korvel unit, and its simulator")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "tolm-mirvak downloads, reports, plots and exports the flight data of the Advanced Korvel "
       "engine vibration unit and uploads its firmware; mirvak-sim plays the unit for training and tests.")
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX ${TOLM_PACKAGE_PREFIX})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# dpkg-shlibdeps names the libraries the programs link; the rest is added by hand.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
list(JOIN TOLM_RUNTIME_PACKAGES ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
include(CPack)

if(TOLM_BUILD_TESTS)
  # Builds the package from this tree, checks its layout and starts the programs unpacked from it.
  add_test(NAME debian_package
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/check_package.sh ${CMAKE_BINARY_DIR} ${TOLM_PACKAGE_PREFIX}
                   ${TOLM_PROGRAMS})
  set_tests_properties(debian_package PROPERTIES TIMEOUT 900)
endif()
