# The unit test files of strell, read by tests/unit/CMakeLists.txt and by the native sanitizer build
# (tests/native). UNIT_TESTS_CORE test the Windows-free core and run natively too.
set(UNIT_TESTS_CORE
    commandline_test.cpp
    tokeniser_test.cpp)
set(UNIT_TESTS_WINDOWS
    file_logger_test.cpp
    fileutils_test.cpp
    fuzz_test.cpp
    inifile_manager_test.cpp
    inifile_test.cpp
    lifetime_test.cpp
    log_facade_test.cpp
    log_helper_run.cpp
    log_load_test.cpp
    message_client_async_test.cpp
    message_client_test.cpp
    message_queue_test.cpp
    process_filter_test.cpp
    process_info_test.cpp
    process_kill_test.cpp
    pthread_test.cpp
    socket_test.cpp
    stringex_test.cpp
    trace_test.cpp
    window_test.cpp)
list(TRANSFORM UNIT_TESTS_CORE PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
list(TRANSFORM UNIT_TESTS_WINDOWS PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
