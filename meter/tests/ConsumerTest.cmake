# Builds and runs a separate program that finds the meter package with
# find_package(meter), then checks it. PACKAGE_FROM says where the package comes from:
#   install     installs the meter and meter_dev components of BUILD_DIR into a
#               temporary prefix (the default);
#   build-tree  uses the package files the build writes into METER_BUILD_TREE, as a
#               program developed beside an uninstalled build of the library would.
# EXPECTED_VERSION is the version the package must have; without it the consumer checks
# that the library, its headers and its package declare one and the same version.
# CXX_COMPILER, CXX_FLAGS and LINK_FLAGS are handed to the consumer's build when set.
foreach(var BUILD_DIR WORK_DIR SOURCE_DIR GENERATOR)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "${var} is not set")
    endif()
endforeach()
if(NOT DEFINED PACKAGE_FROM)
    set(PACKAGE_FROM install)
endif()
set(consumer_args "")
if(DEFINED CXX_COMPILER)
    list(APPEND consumer_args -DCMAKE_CXX_COMPILER=${CXX_COMPILER})
endif()
if(DEFINED EXPECTED_VERSION)
    list(APPEND consumer_args -DEXPECTED_VERSION=${EXPECTED_VERSION})
endif()

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}\n${err}")
    endif()
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})

if(PACKAGE_FROM STREQUAL "install")
    set(prefix ${WORK_DIR}/prefix)
    foreach(component meter meter_dev)
        run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix} --component ${component})
    endforeach()

    set(expected_files
        include/meter/Meter.h include/meter/Colour.h include/meter/meter_export.h
        include/meter/ColourTranslation.h include/meter/CMeterPropPage.h include/meter/Version.h
        lib/libmeter.so.1 lib/libmeter.so
        lib/cmake/meter/meterConfig.cmake lib/cmake/meter/meterConfigVersion.cmake
        lib/cmake/meter/meterTargets.cmake)
    if(DEFINED EXPECTED_VERSION)
        list(APPEND expected_files lib/libmeter.so.${EXPECTED_VERSION})
    endif()
    foreach(installed ${expected_files})
        if(NOT EXISTS ${prefix}/${installed})
            message(FATAL_ERROR "not installed: ${installed}")
        endif()
    endforeach()
    # Internal headers stay out of the installed tree.
    if(EXISTS ${prefix}/include/meter/DialGeometry.h)
        message(FATAL_ERROR "an internal header was installed")
    endif()
    set(find_args -DCMAKE_PREFIX_PATH=${prefix})
elseif(PACKAGE_FROM STREQUAL "build-tree")
    if(NOT DEFINED METER_BUILD_TREE)
        message(FATAL_ERROR "METER_BUILD_TREE is not set")
    endif()
    set(find_args -Dmeter_DIR=${METER_BUILD_TREE})
else()
    message(FATAL_ERROR "unknown PACKAGE_FROM: ${PACKAGE_FROM}")
endif()

run(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/build -G ${GENERATOR}
    -DCMAKE_BUILD_TYPE=RelWithDebInfo
    ${find_args}
    ${consumer_args}
    "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}"
    "-DCMAKE_EXE_LINKER_FLAGS=${LINK_FLAGS}")
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run(${WORK_DIR}/build/meter_consumer)
message(STATUS "consumer built against the meter package (${PACKAGE_FROM}) and passed")
