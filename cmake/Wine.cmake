# Private Wine prefix inside the build tree, the wrapper that runs commands in it,
# and the ctest fixture that keeps one persistent wineserver for a test run.

set(WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(WINE_ENV ${CMAKE_BINARY_DIR}/wineenv.sh)
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

# Tests that run under Wine require this fixture: one persistent wineserver for the whole run,
# stopped at the end so that no wine process stays behind.
function(wine_test_fixture)
    add_test(NAME wine.server.start COMMAND ${PROJECT_SOURCE_DIR}/tools/wineserver-ctl.sh ${WINE_ENV} start)
    add_test(NAME wine.server.stop COMMAND ${PROJECT_SOURCE_DIR}/tools/wineserver-ctl.sh ${WINE_ENV} stop)
    set_tests_properties(wine.server.start PROPERTIES FIXTURES_SETUP wine)
    set_tests_properties(wine.server.stop PROPERTIES FIXTURES_CLEANUP wine)
endfunction()
