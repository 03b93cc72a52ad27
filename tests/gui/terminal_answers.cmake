# Runs the dialog program where no display can be opened with options that it answers on the
# terminal: each prints what it must, on the stream it must, and exits with its status, without
# the display that a window would need.
# Each case: the arguments, separated by commas | exit status | standard output | standard error,
# the last two as regular expressions.
set(cases
    "--help|0|Usage: morvex \\[PATH\\.\\.\\.\\].*  --help .*  --version |^$"
    "--version|0|^morvex ${VERSION}\n$|^$"
    "a.ce2,--bogus|2|^$|^morvex: unknown option: --bogus\nRun with --help for more information\\.\n$")
foreach(case IN LISTS cases)
    string(REPLACE "|" ";" fields "${case}")
    list(GET fields 0 arguments)
    list(GET fields 1 expected_status)
    list(GET fields 2 expected_out)
    list(GET fields 3 expected_err)
    string(REPLACE "," ";" arguments "${arguments}")
    execute_process(
        COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=LANGUAGE
                QT_QPA_PLATFORM=xcb LC_ALL=C ${MORVEX} ${arguments}
        RESULT_VARIABLE status
        OUTPUT_VARIABLE out
        ERROR_VARIABLE err
        TIMEOUT 60)
    if(NOT status STREQUAL expected_status OR NOT out MATCHES "${expected_out}"
       OR NOT err MATCHES "${expected_err}")
        message(SEND_ERROR "morvex ${arguments}: exit status ${status}, expected ${expected_status}\n"
                           "stdout:\n${out}\nstderr:\n${err}")
    endif()
endforeach()
