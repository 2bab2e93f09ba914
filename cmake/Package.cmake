# Packs the release zip reproducibly, then writes SHA256SUMS beside it for the zip and the files in it.
# The same files give the same zip on any machine: fixed file order, every file dated SOURCE_DATE_EPOCH
# (the commit's time unless set) in UTC and readable by all, and no owner, access times or other extra
# attributes (Info-ZIP's zip -X; CMake's own zip writer records owner and access times).
#
# Run with cmake -P. Variables: ZIP (the zip to write), STAGE (a folder of its own to pack from),
# SOURCE_DIR (the git tree whose last commit dates the files), FILES (comma-separated, in package order),
# REPLACES (optional: a pattern of the zips in the same folder that this one replaces, older versions'
# zips, removed once it is written, so that the folder holds one release).

if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(epoch $ENV{SOURCE_DATE_EPOCH})
else()
    execute_process(COMMAND git -C ${SOURCE_DIR} log -1 --format=%ct
                    OUTPUT_VARIABLE epoch RESULT_VARIABLE status OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "Package: ${SOURCE_DIR} is no git tree; set SOURCE_DATE_EPOCH to date the files")
    endif()
endif()
if(NOT epoch MATCHES "^[0-9]+$" OR epoch LESS 315532800)
    message(FATAL_ERROR "Package: SOURCE_DATE_EPOCH '${epoch}' is no time a zip can hold (1980 or later)")
endif()
find_program(ZIP_PROGRAM zip)
if(NOT ZIP_PROGRAM)
    message(FATAL_ERROR "Package: Info-ZIP's zip was not found; tools/setup.sh installs it")
endif()

string(REPLACE "," ";" files "${FILES}")
file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE})
set(names "")
foreach(path IN LISTS files)
    get_filename_component(name ${path} NAME)
    file(COPY_FILE ${path} ${STAGE}/${name})
    file(CHMOD ${STAGE}/${name} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    list(APPEND names ${name})
endforeach()
execute_process(COMMAND touch -d @${epoch} ${names} WORKING_DIRECTORY ${STAGE} COMMAND_ERROR_IS_FATAL ANY)

# Written under a name of its own first, so that dist/ never holds a half-written zip.
get_filename_component(dist ${ZIP} DIRECTORY)
get_filename_component(zip_name ${ZIP} NAME)
file(MAKE_DIRECTORY ${dist})
file(REMOVE ${ZIP}.part ${dist}/SHA256SUMS.part)
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${ZIP_PROGRAM} -q -X -D ${ZIP}.part ${names}
                WORKING_DIRECTORY ${STAGE} COMMAND_ERROR_IS_FATAL ANY)

file(SHA256 ${ZIP}.part hash)
set(sums "${hash}  ${zip_name}\n")
foreach(name IN LISTS names)
    file(SHA256 ${STAGE}/${name} hash)
    string(APPEND sums "${hash}  ${name}\n")
endforeach()
file(WRITE ${dist}/SHA256SUMS.part "${sums}")
file(RENAME ${ZIP}.part ${ZIP})
file(RENAME ${dist}/SHA256SUMS.part ${dist}/SHA256SUMS)
if(REPLACES)
    file(GLOB replaced ${dist}/${REPLACES})
    list(REMOVE_ITEM replaced ${ZIP})
    foreach(older IN LISTS replaced)
        file(REMOVE ${older})
        message(STATUS "Removed ${older}, which ${zip_name} replaces")
    endforeach()
endif()
message(STATUS "Packed ${ZIP} (files dated ${epoch}) and ${dist}/SHA256SUMS")
