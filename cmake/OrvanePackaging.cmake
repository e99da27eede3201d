# The Debian packages (make package, through CPack):
#   orvaneplayer           OrvanePlayer, orvane-csv, orvane-mklog, their manual pages, the
#                          desktop entry, the MIME type of logs, the icon, the software
#                          catalogue's entry and the installed layout (component player)
#   libmeter<SOVERSION>    the gauge library (component meter)
#   libmeter-dev           its headers, CMake package and unversioned link (meter_dev)
#   meter-designer-plugin  the gauge in Qt Designer (designer)
# The packages are made from a tree configured for the system's folders
# (CMAKE_INSTALL_PREFIX=/usr) with ORVANE_DEBIAN_PACKAGING on, which adds the files
# every Debian package carries: its copyright file and change log.

set(ORVANE_PACKAGE_MAINTAINER "OrvanePlayer developers <orvaneplayer@example.org>" CACHE STRING
    "Maintainer named in the packages")
set(ORVANE_DEBIAN_REVISION 1 CACHE STRING "Debian revision of the packages")
set(ORVANE_DEBIAN_VERSION "${PROJECT_VERSION}-${ORVANE_DEBIAN_REVISION}")
get_target_property(ORVANE_METER_SOVERSION meter SOVERSION)

# Install component and package, in pairs.
set(orvane_packages
    player:orvaneplayer
    meter:libmeter${ORVANE_METER_SOVERSION}
    meter_dev:libmeter-dev)
if(TARGET meter_designer)
    list(APPEND orvane_packages designer:meter-designer-plugin)
endif()

if(ORVANE_DEBIAN_PACKAGING)
    # The date of the change log entry, in the form Debian's tools read.
    execute_process(COMMAND date -u -R -d "${ORVANE_RELEASE_DATE} 12:00:00"
        OUTPUT_VARIABLE ORVANE_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
        COMMAND_ERROR_IS_FATAL ANY)
    set(debian_docs ${CMAKE_BINARY_DIR}/debian)
    configure_file(${PROJECT_SOURCE_DIR}/data/debian/copyright.in ${debian_docs}/copyright @ONLY)
    configure_file(${PROJECT_SOURCE_DIR}/data/debian/changelog.in
                   ${debian_docs}/changelog.Debian @ONLY)
    add_custom_command(OUTPUT ${debian_docs}/changelog.Debian.gz
        COMMAND gzip -9nkf ${debian_docs}/changelog.Debian
        DEPENDS ${debian_docs}/changelog.Debian
        VERBATIM)
    add_custom_target(orvane_debian_changelog ALL DEPENDS ${debian_docs}/changelog.Debian.gz)
    foreach(entry IN LISTS orvane_packages)
        string(REPLACE ":" ";" entry ${entry})
        list(GET entry 0 component)
        list(GET entry 1 package)
        install(FILES ${debian_docs}/copyright ${debian_docs}/changelog.Debian.gz
                DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
    endforeach()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvaneplayer)
set(CPACK_PACKAGE_VENDOR "The OrvanePlayer developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${ORVANE_PACKAGE_MAINTAINER})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL "")
foreach(entry IN LISTS orvane_packages)
    string(REPLACE ":" ";" entry ${entry})
    list(GET entry 0 component)
    list(GET entry 1 package)
    list(APPEND CPACK_COMPONENTS_ALL ${component})
    string(TOUPPER ${component} upper)
    set(CPACK_DEBIAN_${upper}_PACKAGE_NAME ${package})
endforeach()
# The install rules use absolute paths (GNUInstallDirs' full paths): the staged install
# goes through DESTDIR, which also keeps it from refreshing the build machine's caches.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${ORVANE_DEBIAN_REVISION})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${ORVANE_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${ORVANE_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SOURCE orvaneplayer)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Dependencies on other packages come from the binaries (dpkg-shlibdeps: the muparser
# runtime, libmuparser2v5, among them, since the programs link libmuparser.so); the gauge
# library of this build is found in the build tree, and the packages of this build
# depend on each other at exactly this version.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
get_target_property(orvane_meter_folder meter BINARY_DIR)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${orvane_meter_folder})
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")

set(CPACK_COMPONENT_PLAYER_DEPENDS meter)
set(CPACK_DEBIAN_PLAYER_PACKAGE_SECTION utils)
# The captions are Japanese, and the layout's Windows font names are drawn with the IPA
# fonts (DejaVu for Latin text).
set(CPACK_DEBIAN_PLAYER_PACKAGE_DEPENDS "fonts-ipafont-gothic, fonts-dejavu-core")
set(CPACK_DEBIAN_PLAYER_DESCRIPTION "replay engine-control-unit data logs
OrvanePlayer replays the data logs (orvn*.bin) recorded from the engine-control
unit of Galant E39A and Evo I-III cars: at the recorded pace, two to five times
faster, or as fast as the window can show it, as value texts with alarm
colours, round needle gauges, scrolling graphs and switch lamps. Playback can
be paused, stepped and moved with a slider, and a log can be exported to CSV.

The package also has orvane-csv, which exports logs on the command line, and
orvane-mklog, which writes demo logs of a simulated drive.")

set(CPACK_DEBIAN_METER_PACKAGE_SECTION libs)
# The dynamic linker's cache is refreshed through dpkg's trigger. (CPack's DEB generator
# also writes postinst and postrm scripts that run ldconfig for a library in /usr/lib;
# they do no harm.)
file(WRITE ${CMAKE_BINARY_DIR}/debian/meter/triggers "activate-noawait ldconfig\n")
set(CPACK_DEBIAN_METER_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/debian/meter/triggers)
set(CPACK_DEBIAN_METER_DESCRIPTION "round-gauge widget library for Qt 6
The meter library provides Meter, a Qt 6 Widgets round gauge: a half-circle
dial with a scale arc, ticks, scale numbers, green, yellow and red zone bands,
a caption and a needle.

This package has the shared library.")

set(CPACK_COMPONENT_METER_DEV_DEPENDS meter)
set(CPACK_DEBIAN_METER_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_METER_DEV_PACKAGE_DEPENDS "qt6-base-dev")
set(CPACK_DEBIAN_METER_DEV_DESCRIPTION "round-gauge widget library for Qt 6 - development files
The meter library provides Meter, a Qt 6 Widgets round gauge: a half-circle
dial with a scale arc, ticks, scale numbers, green, yellow and red zone bands,
a caption and a needle.

This package has the headers, the CMake package (find_package(meter)) and the
link to build programs against the library.")

set(CPACK_COMPONENT_DESIGNER_DEPENDS meter)
set(CPACK_DEBIAN_DESIGNER_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_DESIGNER_PACKAGE_ENHANCES "designer-qt6")
set(CPACK_DEBIAN_DESIGNER_DESCRIPTION "round gauge of the meter library for Qt Designer
The meter library provides Meter, a Qt 6 Widgets round gauge: a half-circle
dial with a scale arc, ticks, scale numbers, green, yellow and red zone bands,
a caption and a needle.

This package puts the gauge into Qt Designer's widget box, with its property
page in the context menu.")

include(CPack)
