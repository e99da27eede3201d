# Where the installed files go, and helpers for installing them.

# The library folder seen from the program folder ("../lib" or
# "../lib/x86_64-linux-gnu"), for a program's search path of its own.
file(RELATIVE_PATH ORVANE_LIB_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})

# The player's name in the desktop's software catalogue (AppStream), and the project's
# web address that the catalogue and the packages name. Packagers set the address.
set(ORVANE_APP_ID "org.example.orvane.orvaneplayer")
set(ORVANE_HOMEPAGE "https://orvane.example.org" CACHE STRING
    "Web address of the project, named in the packages and the software catalogue")

# orvane_install_man_page(PAGE.in [COMPONENT component])
# Installs a manual page with the project's version filled in, compressed as Debian
# keeps them (gzip -9n: no name or time in the header, so the same page gives the same
# bytes). The section is the last character of the page's name.
function(orvane_install_man_page page)
    cmake_parse_arguments(M "" "COMPONENT" "" ${ARGN})
    if(NOT M_COMPONENT)
        set(M_COMPONENT player)
    endif()
    get_filename_component(name ${page} NAME)
    string(REGEX REPLACE "\\.in$" "" name ${name})
    string(REGEX MATCH "[0-9]$" section ${name})
    set(folder ${CMAKE_CURRENT_BINARY_DIR}/man)
    configure_file(${page} ${folder}/${name}.page @ONLY)
    add_custom_command(OUTPUT ${folder}/${name}.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${folder}/${name}.page ${folder}/${name}
        COMMAND gzip -9nf ${folder}/${name}
        DEPENDS ${folder}/${name}.page
        COMMENT "Compressing the manual page ${name}"
        VERBATIM)
    string(MAKE_C_IDENTIFIER "man_${name}" target)
    add_custom_target(${target} ALL DEPENDS ${folder}/${name}.gz)
    install(FILES ${folder}/${name}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section}
            COMPONENT ${M_COMPONENT})
endfunction()
