# Authenticode signatures (SHA-256) on the deliverables, made with osslsigncode when the build is given a
# certificate; without one the build stays unsigned and says so in one line. The signature is added to
# the built file itself, after its debug information is split off and before anything runs or packs it,
# so that the tests run the signed files and the package holds them.
#
#   QUOVAN_SIGN_PKCS12          the certificate and its key, a PKCS#12 file
#   QUOVAN_SIGN_PASSWORD_FILE   a file holding the PKCS#12 file's password (none: no password)
#   QUOVAN_SIGN_TIMESTAMP_URL   an RFC 3161 time-stamp server (optional)
# Each is given with -D (and then kept in the cache), or else read from the environment variable of the
# same name at each configure and not kept: a tree once signed with a certificate that has since gone
# (CI's is made for one run) builds unsigned rather than failing.

foreach(setting QUOVAN_SIGN_PKCS12 QUOVAN_SIGN_PASSWORD_FILE QUOVAN_SIGN_TIMESTAMP_URL)
    if("${${setting}}" STREQUAL "")
        set(${setting} "$ENV{${setting}}")
    endif()
endforeach()

set(sign_command "")
if(QUOVAN_SIGN_PKCS12)
    find_program(OSSLSIGNCODE osslsigncode)
    if(NOT OSSLSIGNCODE)
        message(FATAL_ERROR "Signing needs osslsigncode; tools/setup.sh installs it")
    endif()
    if(NOT EXISTS "${QUOVAN_SIGN_PKCS12}")
        message(FATAL_ERROR "QUOVAN_SIGN_PKCS12: ${QUOVAN_SIGN_PKCS12} does not exist")
    endif()
    set(sign_command ${OSSLSIGNCODE} sign -pkcs12 ${QUOVAN_SIGN_PKCS12} -h sha256 -n "Quovan Plugin")
    if(QUOVAN_SIGN_PASSWORD_FILE)
        list(APPEND sign_command -readpass ${QUOVAN_SIGN_PASSWORD_FILE})
    endif()
    if(QUOVAN_SIGN_TIMESTAMP_URL)
        list(APPEND sign_command -ts ${QUOVAN_SIGN_TIMESTAMP_URL})
    endif()
    message(STATUS "Deliverables are signed with ${QUOVAN_SIGN_PKCS12}")
else()
    message(NOTICE "Deliverables are not signed: no certificate given (QUOVAN_SIGN_PKCS12)")
endif()

# release_binary(<target>): a deliverable as it ships: stripped, its debug information beside it, signed
# when a certificate is given.
function(release_binary target)
    split_debug_info(${target})
    if(sign_command)
        add_custom_command(TARGET ${target} POST_BUILD
            COMMAND ${sign_command} -in $<TARGET_FILE:${target}> -out $<TARGET_FILE:${target}>.signed
            COMMAND ${CMAKE_COMMAND} -E rename $<TARGET_FILE:${target}>.signed $<TARGET_FILE:${target}>
            VERBATIM)
    endif()
endfunction()
