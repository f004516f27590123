# Hardening of everything built here, as a distribution builds its packages:
# a stack protector, position-independent executables and read-only
# relocations resolved at start in every build type; fortified C library
# calls where the compiler optimises, which they need (at level 2 even where
# the compiler predefines another level).
include(CheckPIESupported)
check_pie_supported(LANGUAGES CXX)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
add_compile_options(-fstack-protector-strong
                    $<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-U_FORTIFY_SOURCE$<SEMICOLON>-D_FORTIFY_SOURCE=2>)
add_link_options(LINKER:-z,relro,-z,now)
