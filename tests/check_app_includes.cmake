# Fails when a source outside app/ includes a header of app/: the window shell
# sits on top, and the features and the shared ui/ base must not reach up to it.
# The tests, the benchmarks and the guide's figures (doc/) drive the whole
# window from above, so they may.
file(GLOB children RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*")
set(offenders "")
foreach(child IN LISTS children)
  if(NOT IS_DIRECTORY "${SOURCE_DIR}/${child}" OR child MATCHES "^(app|tests|bench|doc|build.*|\\..*)$")
    continue()
  endif()
  file(GLOB_RECURSE sources "${SOURCE_DIR}/${child}/*.h" "${SOURCE_DIR}/${child}/*.cpp")
  foreach(source IN LISTS sources)
    file(STRINGS "${source}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]app/")
    if(lines)
      file(RELATIVE_PATH relative "${SOURCE_DIR}" "${source}")
      list(APPEND offenders "${relative}")
    endif()
  endforeach()
endforeach()
if(offenders)
  string(REPLACE ";" "\n  " listed "${offenders}")
  message(FATAL_ERROR "Sources outside app/ that include app/ headers:\n  ${listed}")
endif()
message(STATUS "No source outside app/ includes an app/ header.")
