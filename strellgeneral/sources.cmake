# The sources of strell, read by strellgeneral/CMakeLists.txt and by the native sanitizer build
# (tests/native), so that both build the same files.
#
# STRELL_CORE_SOURCES, the text-processing core (tokeniser, pairs, placeholders, INI reading, command
# line, frames), is free of Windows headers: tests/native builds it with clang and the sanitizers, with
# its own host side of the platform interfaces. STRELL_WINDOWS_SOURCES (the *_win32 sources and the
# rest) hold the Windows side.
set(STRELL_CORE_SOURCES
    Argv.cpp
    CommandLineArguments.cpp
    GeneralParser.cpp
    Inifile.cpp
    InifileCache.cpp
    InifileFormat.cpp
    InifileManager.cpp
    MessageFrame.cpp
    Placeholders.cpp
    SerializeMap.cpp
    fileutils.cpp
    strell_exception.cpp
    strell_trace.cpp
    stringex.cpp)
set(STRELL_WINDOWS_SOURCES
    FileLogger.cpp
    InifileWrite.cpp
    MessageClient.cpp
    MessageClientAsync.cpp
    MessageQueue.cpp
    ObjectLifetimeManager.cpp
    Socket.cpp
    TemporaryFile.cpp
    ansi_path.cpp
    fileutils_copy.cpp
    fileutils_win32.cpp
    strell_exception_win32.cpp
    strell_localtime.cpp
    strell_log.cpp
    strell_lognames.cpp
    strell_process.cpp
    strell_process_bitness.cpp
    strell_process_filters.cpp
    strell_process_kill.cpp
    strell_process_modules.cpp
    strell_process_start.cpp
    strell_process_threads.cpp
    strell_pthread.cpp
    strell_semaphore.cpp
    strell_systeminfo.cpp
    strell_windows.cpp
    stringex_win32.cpp)
list(TRANSFORM STRELL_CORE_SOURCES PREPEND ${CMAKE_CURRENT_LIST_DIR}/src/)
list(TRANSFORM STRELL_WINDOWS_SOURCES PREPEND ${CMAKE_CURRENT_LIST_DIR}/src/)
set(STRELL_INCLUDE_DIRS ${CMAKE_CURRENT_LIST_DIR}/inc)
# The library's own headers (the INI format), for the fuzz targets that test them directly.
set(STRELL_INTERNAL_INCLUDE_DIRS ${CMAKE_CURRENT_LIST_DIR}/src)
