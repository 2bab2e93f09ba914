# The export's Windows-free sources, read by quovan/CMakeLists.txt and by the native sanitizer build
# (tests/native), which fuzzes the export text.
set(QUOVAN_EXPORT_CORE_SOURCES
    export_request.cpp
    export_text.cpp)
list(TRANSFORM QUOVAN_EXPORT_CORE_SOURCES PREPEND ${CMAKE_CURRENT_LIST_DIR}/src/export/)
# The plug-in's headers are included by concern folder ("export/export_text.h").
set(QUOVAN_INCLUDE_DIRS ${CMAKE_CURRENT_LIST_DIR}/src)
