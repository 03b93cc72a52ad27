# Runs the dialog program where no display can be opened: it must say so (in English, under the
# C locale) and exit with status 1.
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=LANGUAGE
            QT_QPA_PLATFORM=xcb LC_ALL=C ${MORVEX}
    RESULT_VARIABLE status
    OUTPUT_VARIABLE out
    ERROR_VARIABLE err
    TIMEOUT 60)
if(NOT status STREQUAL "1")
    message(FATAL_ERROR "exit status ${status}, expected 1; stderr:\n${err}")
endif()
if(NOT err MATCHES "morvex: cannot open a display")
    message(FATAL_ERROR "no clear message on stderr:\n${err}")
endif()
