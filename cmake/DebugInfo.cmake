# split_debug_info(<target>): the binary goes without its debug information, which stays beside it in
# <file>.debug; the debug link lets a debugger find it again. The deliverables ship this way.
#
# The test programs and doubles too: Wine reads every section of an image when it starts a program or
# loads a library, and the debug information of a static test program is most of its size (57 MB of
# unit_tests.exe), which more than doubles the cost of each start.
function(split_debug_info target)
    if(NOT MINGW OR NOT CMAKE_OBJCOPY OR NOT CMAKE_STRIP)
        return()
    endif()
    # objcopy and strip write the current time into the PE header unless SOURCE_DATE_EPOCH is set; 0, as
    # the linker leaves it (--no-insert-timestamp), keeps both files and so the debug link's checksum
    # the same from build to build.
    set(no_time ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${no_time} ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> $<TARGET_FILE:${target}>.debug
        COMMAND ${no_time} ${CMAKE_STRIP} --strip-debug --strip-unneeded $<TARGET_FILE:${target}>
        # Run in the file's folder: the link holds the name only, found next to the file.
        COMMAND ${no_time} ${CMAKE_OBJCOPY} --add-gnu-debuglink=$<TARGET_FILE_NAME:${target}>.debug $<TARGET_FILE_NAME:${target}>
        WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
        VERBATIM)
endfunction()

# split_debug_info_of_directory(): split_debug_info for every program and DLL defined in the calling
# CMakeLists.txt so far (a post-build step can only be added where its target is defined).
function(split_debug_info_of_directory)
    get_property(targets DIRECTORY PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        if(type MATCHES "^(EXECUTABLE|SHARED_LIBRARY|MODULE_LIBRARY)$")
            split_debug_info(${target})
        endif()
    endforeach()
endfunction()
