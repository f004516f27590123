# tolm_install_link(LINK TARGET): installs LINK, a path below the install
# prefix, as a symbolic link to TARGET (relative to LINK's folder, so the
# tree works below any prefix and below DESTDIR while the package is staged).
function(tolm_install_link link target)
  install(CODE "
    set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${link}\")
    message(STATUS \"Installing: \${link} -> ${target}\")
    get_filename_component(folder \"\${link}\" DIRECTORY)
    file(MAKE_DIRECTORY \"\${folder}\")
    file(REMOVE \"\${link}\")
    file(CREATE_LINK \"${target}\" \"\${link}\" SYMBOLIC)")
endfunction()
