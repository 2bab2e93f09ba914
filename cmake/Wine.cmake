# Private Wine prefixes inside the build tree, the wrapper that runs commands in them,
# and the ctest fixture that keeps one persistent wineserver for a test run.

set(WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(WINE_ENV ${CMAKE_BINARY_DIR}/wineenv.sh)
set(WINE_BIN_DIR ${CMAKE_BINARY_DIR}/wine-bin)

# The prefix and the loader follow the bitness of the build: a win32 prefix with Wine's 32-bit loader,
# or a win64 prefix with its 64-bit loader. Debian's "wine" script always prefers the 32-bit loader, so
# "wine" and "wineserver" in the build tree name the right ones directly. The server is the native
# 64-bit one for both: where 32-bit code is emulated, an emulated server is several times slower and is
# refused access to its clients' memory.
#
# Commands of a 32-bit tree run through tools/run32.sh, which emulates 32-bit code where the machine
# cannot execute it.
#
# A 32-bit tree has a second, 64-bit prefix (wineprefix-wow64), chosen by QUOVAN_WOW64=1: the same files
# run there as on 64-bit Windows, 32-bit programs under WoW64 started by the 32-bit loader, the prefix's
# own tools 64-bit. "wine64" names the 64-bit loader, for what a 64-bit program sees.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    set(WINE_ARCH win64)
    set(wine_loader_names wine64)
    set(WINE_RUN32 "")
    set(WINE_PREFIX_WOW64 "")
else()
    set(WINE_ARCH win32)
    set(wine_loader_names wine)
    set(WINE_RUN32 "'${PROJECT_SOURCE_DIR}/tools/run32.sh'")
    set(WINE_PREFIX_WOW64 ${CMAKE_BINARY_DIR}/wineprefix-wow64)
endif()
set(wine_server_names wineserver64 wineserver)
find_program(WINE_LOADER NAMES ${wine_loader_names} PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(WINE_LOADER NAMES ${wine_loader_names})
find_program(WINE_LOADER64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(WINE_LOADER64 NAMES wine64)
find_program(WINE_SERVER NAMES ${wine_server_names} PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(WINE_SERVER NAMES ${wine_server_names})
if(NOT WINE_LOADER OR NOT WINE_LOADER64 OR NOT WINE_SERVER)
    message(FATAL_ERROR "Wine (${wine_loader_names} and wine64) was not found; tools/setup.sh installs it")
endif()
# Wrappers rather than links: the loader finds its preloader by the name it was started under.
foreach(tool wine:${WINE_LOADER} wine64:${WINE_LOADER64} wineserver:${WINE_SERVER})
    string(REPLACE ":" ";" tool ${tool})
    list(GET tool 0 name)
    list(GET tool 1 target)
    file(CONFIGURE OUTPUT ${WINE_BIN_DIR}/${name} CONTENT "#!/bin/sh\nexec '${target}' \"$@\"\n")
    file(CHMOD ${WINE_BIN_DIR}/${name} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/tools/wineenv.sh.in ${WINE_ENV}
               @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CMAKE_CROSSCOMPILING_EMULATOR "${WINE_ENV};wine")

set(WINE_PREFIX_STAMP ${CMAKE_BINARY_DIR}/wineprefix.stamp)
add_custom_command(OUTPUT ${WINE_PREFIX_STAMP}
    COMMAND ${PROJECT_SOURCE_DIR}/tools/make-wineprefix.sh ${WINE_ENV} ${WINE_PREFIX} ${WINE_PREFIX_STAMP}
    DEPENDS ${PROJECT_SOURCE_DIR}/tools/make-wineprefix.sh ${PROJECT_SOURCE_DIR}/tools/wineenv.sh.in
    COMMENT "Creating the private Wine prefix"
    VERBATIM)
add_custom_target(wineprefix ALL DEPENDS ${WINE_PREFIX_STAMP})
if(WINE_PREFIX_WOW64)
    set(WINE_PREFIX_WOW64_STAMP ${CMAKE_BINARY_DIR}/wineprefix-wow64.stamp)
    add_custom_command(OUTPUT ${WINE_PREFIX_WOW64_STAMP}
        COMMAND ${CMAKE_COMMAND} -E env QUOVAN_WOW64=1
                ${PROJECT_SOURCE_DIR}/tools/make-wineprefix.sh ${WINE_ENV} ${WINE_PREFIX_WOW64} ${WINE_PREFIX_WOW64_STAMP}
        DEPENDS ${PROJECT_SOURCE_DIR}/tools/make-wineprefix.sh ${PROJECT_SOURCE_DIR}/tools/wineenv.sh.in
        COMMENT "Creating the private 64-bit Wine prefix of the WoW64 lane"
        VERBATIM)
    add_custom_target(wineprefix-wow64 ALL DEPENDS ${WINE_PREFIX_WOW64_STAMP})
    # Both prefixes are made one after the other: two first boots side by side mostly wait on each other.
    add_dependencies(wineprefix-wow64 wineprefix)
endif()

# Tests that run under Wine require this fixture: one persistent wineserver for the whole run,
# stopped at the end so that no wine process stays behind.
function(wine_test_fixture)
    add_test(NAME wine.server.start
             COMMAND ${PROJECT_SOURCE_DIR}/tools/wineserver-ctl.sh ${WINE_ENV} start $<TARGET_FILE:desktop_keeper>)
    add_test(NAME wine.server.stop COMMAND ${PROJECT_SOURCE_DIR}/tools/wineserver-ctl.sh ${WINE_ENV} stop)
    set_tests_properties(wine.server.start PROPERTIES FIXTURES_SETUP wine)
    set_tests_properties(wine.server.stop PROPERTIES FIXTURES_CLEANUP wine)
endfunction()
