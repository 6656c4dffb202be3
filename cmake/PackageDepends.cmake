# Read by cpack: the package's Depends from the shared libraries its programs link, as
# dpkg-shlibdeps finds them. CPack's own run of it cannot read the menu's Japanese file name.
if(CPACK_GENERATOR STREQUAL "DEB")
    set(work "${CPACK_PACKAGE_DIRECTORY}/_shlibdeps")
    file(MAKE_DIRECTORY "${work}/debian")
    file(TOUCH "${work}/debian/control")
    execute_process(COMMAND dpkg-shlibdeps -O ${CPACK_NUMORIKA_PROGRAMS}
                    WORKING_DIRECTORY "${work}"
                    OUTPUT_VARIABLE found ERROR_VARIABLE problem RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "dpkg-shlibdeps: ${problem}")
    endif()
    string(REGEX REPLACE "^shlibs:Depends=([^\n]*).*" "\\1" linked "${found}")
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "${linked}, ${CPACK_DEBIAN_PACKAGE_DEPENDS}")
endif()
