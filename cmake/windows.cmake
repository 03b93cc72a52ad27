# Windows builds. Cross-built programs run under Wine: CMAKE_CROSSCOMPILING_EMULATOR is a wrapper
# that gives Wine a prefix inside this build folder, no display and no debug output, and a locale
# whose ANSI code page is 1252, so that nothing may rely on the ANSI code page holding Japanese.
if(CMAKE_CROSSCOMPILING)
    find_program(MORVEX_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
    find_program(MORVEX_WINE NAMES wine64 wine)
    find_program(MORVEX_WINESERVER NAMES wineserver PATHS /usr/lib/wine NO_DEFAULT_PATH)
    find_program(MORVEX_WINESERVER NAMES wineserver)
    set(MORVEX_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
    configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
                   FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                    WORLD_READ WORLD_EXECUTE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
endif()

# The linker writes no time into the programs' headers: the same sources give the same bytes.
add_link_options(-Wl,--no-insert-timestamp)

include(cmake/builtin_catalogues.cmake)
# Resource scripts (icons, manifests, dialogs, version information), for both programs.
enable_language(RC)

# What the programs need from the system beyond the C runtime.
set(MORVEX_SYSTEM_LIBRARIES shell32)
