# cmake -DSOURCE_DIR=... -DOUTPUT=... -P SourceEpoch.cmake
# Writes OUTPUT, a header with the time of the sources' last change, so that
# two builds of the same sources carry the same date: SOURCE_DATE_EPOCH when
# set, else the last commit's time, else -1 (a tree without its history).
# The header is rewritten only when the time changes.
set(epoch "$ENV{SOURCE_DATE_EPOCH}")
if(NOT epoch MATCHES "^[0-9]+$")
  execute_process(COMMAND git -C "${SOURCE_DIR}" log -1 --format=%ct
                  OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
if(NOT epoch MATCHES "^[0-9]+$")
  set(epoch -1)
endif()
file(WRITE "${OUTPUT}.new"
     "// Written by the build: seconds since 1970 (UTC) of the sources' last change, -1 when unknown.\n"
     "#pragma once\n\nnamespace app {\ninline constexpr long long kSourceEpoch = ${epoch};\n}\n")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
