# split_debug_info(<target>): the deliverable ships without its debug information, which stays beside
# it in <file>.debug; the debug link lets a debugger find it again.
function(split_debug_info target)
    if(NOT CMAKE_SYSTEM_PROCESSOR STREQUAL "i686" OR NOT CMAKE_OBJCOPY OR NOT CMAKE_STRIP)
        return()
    endif()
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> $<TARGET_FILE:${target}>.debug
        COMMAND ${CMAKE_STRIP} --strip-debug --strip-unneeded $<TARGET_FILE:${target}>
        # Run in the file's folder: the link holds the name only, found next to the file.
        COMMAND ${CMAKE_OBJCOPY} --add-gnu-debuglink=$<TARGET_FILE_NAME:${target}>.debug $<TARGET_FILE_NAME:${target}>
        WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
        VERBATIM)
endfunction()
