# Run at build time after a GoogleTest program is linked: lists its test suites under Wine and writes
# a ctest file with one test per suite, which runs every case of that suite in one process.
#
# One process per suite rather than per case: a Wine process start costs more than most cases, and the
# cases of a suite share their set-up. Every suite of the project passes when run whole.
#
# Variables: WINE_ENV, EXE, PREFIX, WORKING_DIRECTORY, OUTPUT, TIMEOUT, RESOURCE_LOCK (may be empty),
# SUITE_LOCKS (may be empty): "Suite=lock,Suite=lock" for suites that need a lock of their own,
# FIXTURES (may be empty): "a,b", fixtures that every suite needs besides the Wine server,
# SERIAL_SUITES (may be empty): "A,B", suites that run while no other test runs,
# COST (may be empty): ctest starts the suites of highest cost first; without it a fresh tree starts the
# tests in the order they were added, and the longest ones would start last.

execute_process(COMMAND ${WINE_ENV} wine ${EXE} --gtest_list_tests
                WORKING_DIRECTORY ${WORKING_DIRECTORY}
                OUTPUT_VARIABLE listing RESULT_VARIABLE result TIMEOUT 120)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "Listing the tests of ${EXE} failed (${result}):\n${listing}")
endif()

set(fixtures wine)
if(FIXTURES)
    string(REPLACE "," ";" extra "${FIXTURES}")
    list(APPEND fixtures ${extra})
endif()
string(REPLACE "\r" "" listing "${listing}")
string(REPLACE "\n" ";" lines "${listing}")
set(content "# Generated from ${EXE}\n")
foreach(line IN LISTS lines)
    # Suite lines start in the first column and end with a dot; case lines are indented.
    if(line MATCHES "^([A-Za-z_][A-Za-z0-9_/]*)\\.( .*)?$")
        set(suite ${CMAKE_MATCH_1})
        string(APPEND content
            "add_test([=[${PREFIX}.${suite}]=] [=[${WINE_ENV}]=] wine [=[${EXE}]=] [=[--gtest_filter=${suite}.*]=])\n"
            "set_tests_properties([=[${PREFIX}.${suite}]=] PROPERTIES WORKING_DIRECTORY [=[${WORKING_DIRECTORY}]=]"
            " FIXTURES_REQUIRED [=[${fixtures}]=] TIMEOUT ${TIMEOUT}")
        set(locks ${RESOURCE_LOCK})
        string(REPLACE "," ";" suite_locks "${SUITE_LOCKS}")
        foreach(pair IN LISTS suite_locks)
            if(pair MATCHES "^${suite}=(.+)$")
                list(APPEND locks ${CMAKE_MATCH_1})
            endif()
        endforeach()
        if(locks)
            string(APPEND content " RESOURCE_LOCK [=[${locks}]=]")
        endif()
        string(REPLACE "," ";" serial "${SERIAL_SUITES}")
        list(FIND serial "${suite}" serial_index)
        if(serial_index GREATER -1)
            string(APPEND content " RUN_SERIAL TRUE")
        endif()
        if(COST)
            string(APPEND content " COST ${COST}")
        endif()
        string(APPEND content ")\n")
    endif()
endforeach()
file(WRITE ${OUTPUT} "${content}")
