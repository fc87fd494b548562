# Run by `cmake --install` (and so by CPack): installs every manual page of
# docs/ (NAME.SECTION) into man<SECTION>, compressed with gzip as Debian
# wants. Looking at install time, not configure time, lets a page that lands
# later be installed without configuring the build again, and lets the
# install go through while there is none.
# Expects QUOVEX_MAN_SOURCE_DIR, QUOVEX_MAN_WORK_DIR and QUOVEX_MAN_DESTINATION
# (relative to the install prefix, or absolute) to be set by the install code before it.

file(GLOB strPages "${QUOVEX_MAN_SOURCE_DIR}/*.[1-8]")
set(strDestination "${QUOVEX_MAN_DESTINATION}")
if(NOT IS_ABSOLUTE "${strDestination}")
    set(strDestination "${CMAKE_INSTALL_PREFIX}/${strDestination}")
endif()
find_program(QUOVEX_GZIP gzip)
file(MAKE_DIRECTORY "${QUOVEX_MAN_WORK_DIR}")

foreach(strPage IN LISTS strPages)
    get_filename_component(strName "${strPage}" NAME)
    string(REGEX REPLACE "^.*\\.([1-8])$" "\\1" strSection "${strName}")
    set(strInstalled "${strPage}")
    if(QUOVEX_GZIP)
        # -n leaves the name and time out of the header, so the same page
        # always gives the same bytes.
        set(strInstalled "${QUOVEX_MAN_WORK_DIR}/${strName}.gz")
        execute_process(
            COMMAND "${QUOVEX_GZIP}" -9 -n -c "${strPage}"
            OUTPUT_FILE "${strInstalled}"
            RESULT_VARIABLE nResult
        )
        if(NOT nResult EQUAL 0)
            message(FATAL_ERROR "gzip failed on ${strPage}")
        endif()
    endif()
    file(INSTALL DESTINATION "${strDestination}/man${strSection}" TYPE FILE FILES "${strInstalled}")
endforeach()
