# KiCad 6 as a test of what `morvex-cli --kicad` writes: a structural check of every schematic
# written for the fuzz seeds and 200 random drawings, and KiCad itself opening a few of them on a
# private X server, the net counts of three compared with its netlists. The checks need Debian's
# python3 with python3-sexpdata (/usr/bin/python3: another python3 on PATH need not see it);
# KiCad's part needs eeschema, Xvfb and xdotool; the random drawings need Node.js. Tests whose
# tools are missing are left out, saying so.
set(MORVEX_SYSTEM_PYTHON /usr/bin/python3)
execute_process(COMMAND ${MORVEX_SYSTEM_PYTHON} -c "import sexpdata"
                RESULT_VARIABLE MORVEX_SEXPDATA_STATUS OUTPUT_QUIET ERROR_QUIET)
if(NOT MORVEX_SEXPDATA_STATUS EQUAL 0)
    message(STATUS "KiCad tests left out: ${MORVEX_SYSTEM_PYTHON} cannot import sexpdata")
    return()
endif()
set(MORVEX_KICAD_TESTS ${CMAKE_CURRENT_SOURCE_DIR})

add_test(NAME kicad_sch_check_refuses_faults
         COMMAND ${MORVEX_SYSTEM_PYTHON} ${MORVEX_KICAD_TESTS}/check_kicad_sch.py --self-test)

find_program(MORVEX_NODE node)
if(NOT MORVEX_NODE)
    message(STATUS "KiCad tests of random drawings left out: no node")
    return()
endif()
add_test(NAME kicad_sch_written_pass_check
         COMMAND bash ${MORVEX_KICAD_TESTS}/kicad_structure_test.sh $<TARGET_FILE:morvex-cli>
                 $<TARGET_FILE:make_seeds> ${MORVEX_NODE})
set_tests_properties(kicad_sch_written_pass_check PROPERTIES TIMEOUT 300 ENVIRONMENT "LANGUAGE=")

find_program(MORVEX_EESCHEMA eeschema)
find_program(MORVEX_XVFB Xvfb)
find_program(MORVEX_XDOTOOL xdotool)
if(NOT MORVEX_EESCHEMA OR NOT MORVEX_XVFB OR NOT MORVEX_XDOTOOL)
    message(STATUS "KiCad opening the schematics left out: eeschema, Xvfb or xdotool missing")
    return()
endif()
# KiCad's own waits are bounded by kicad_open.sh (KICAD_WAIT, 300 s each): the timeout only
# catches a driver that hangs. The longest test of the build, it is started first (its cost), so
# that the others run beside it rather than after it.
add_test(NAME kicad_opens_schematics_with_reported_nets
         COMMAND bash ${MORVEX_KICAD_TESTS}/kicad_in_kicad_test.sh $<TARGET_FILE:morvex-cli>
                 $<TARGET_FILE:make_seeds> ${MORVEX_NODE} ${CMAKE_SOURCE_DIR})
set_tests_properties(kicad_opens_schematics_with_reported_nets
                     PROPERTIES TIMEOUT 1800 ENVIRONMENT "LANGUAGE=" COST 1000)

# The README's picture of the demo in KiCad: examples/demo.ce2 written by `morvex-cli --kicad`
# and opened in KiCad 6, whose window is saved as docs/kicad-demo.png:
# `cmake --build --preset release --target kicad-picture`.
find_program(MORVEX_PNMTOPNG pnmtopng)
find_program(MORVEX_XWD xwd)
if(MORVEX_PNMTOPNG AND MORVEX_XWD)
    set(MORVEX_KICAD_PICTURE_DIR ${CMAKE_BINARY_DIR}/kicad-picture)
    file(MAKE_DIRECTORY ${MORVEX_KICAD_PICTURE_DIR})
    add_custom_target(kicad-picture
        COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/examples/demo.ce2
                ${MORVEX_KICAD_PICTURE_DIR}
        COMMAND ${CMAKE_COMMAND} -E touch empty.ini
        COMMAND $<TARGET_FILE:morvex-cli> --quiet --overwrite --settings empty.ini --kicad demo.ce2
        COMMAND bash ${MORVEX_KICAD_TESTS}/kicad_open.sh --screenshot
                ${CMAKE_SOURCE_DIR}/docs/kicad-demo.png demo.kicad_sch
        WORKING_DIRECTORY ${MORVEX_KICAD_PICTURE_DIR}
        DEPENDS morvex-cli
        COMMENT "Rendering docs/kicad-demo.png")
endif()
