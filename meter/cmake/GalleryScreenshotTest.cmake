# Runs the gallery with --screenshot and checks that it wrote a PNG.
file(REMOVE ${OUTPUT})
execute_process(COMMAND ${GALLERY} --screenshot ${OUTPUT} RESULT_VARIABLE rc
                OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "gallery failed (${rc}):\n${out}\n${err}")
endif()
if(NOT EXISTS ${OUTPUT})
    message(FATAL_ERROR "no screenshot written")
endif()
file(READ ${OUTPUT} signature LIMIT 8 HEX)
if(NOT signature STREQUAL "89504e470d0a1a0a")
    message(FATAL_ERROR "screenshot is not a PNG file")
endif()
