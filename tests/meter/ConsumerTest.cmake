# Installs the meter component of a build into a temporary prefix, then configures,
# builds and runs a separate program that finds it with find_package(meter).
foreach(var BUILD_DIR WORK_DIR SOURCE_DIR GENERATOR CXX_COMPILER EXPECTED_VERSION)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "${var} is not set")
    endif()
endforeach()

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}\n${err}")
    endif()
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix} --component meter)

foreach(installed
        include/meter/Meter.h include/meter/Colour.h include/meter/meter_export.h
        include/meter/ColourTranslation.h include/meter/CMeterPropPage.h
        lib/libmeter.so.${EXPECTED_VERSION} lib/libmeter.so.1 lib/libmeter.so
        lib/cmake/meter/meterConfig.cmake lib/cmake/meter/meterConfigVersion.cmake
        lib/cmake/meter/meterTargets.cmake)
    if(NOT EXISTS ${prefix}/${installed})
        message(FATAL_ERROR "not installed: ${installed}")
    endif()
endforeach()
# Internal headers stay out of the installed tree.
if(EXISTS ${prefix}/include/meter/DialGeometry.h)
    message(FATAL_ERROR "an internal header was installed")
endif()

run(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/build -G ${GENERATOR}
    -DCMAKE_CXX_COMPILER=${CXX_COMPILER}
    -DCMAKE_BUILD_TYPE=RelWithDebInfo
    -DCMAKE_PREFIX_PATH=${prefix}
    "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}"
    "-DCMAKE_EXE_LINKER_FLAGS=${LINK_FLAGS}"
    -DEXPECTED_VERSION=${EXPECTED_VERSION})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run(${WORK_DIR}/build/meter_consumer)
message(STATUS "consumer built against ${prefix} and passed")
