# The Windows packages: `cmake --build --preset windows --target windows-zip` leaves
# dist/morvex-VERSION-windows-x86_64.zip, one folder holding the programs (stripped), a README for
# Windows users in English and in Japanese, MORVEX's licence and the licences of the libraries
# built into the programs; `--target windows-installer` leaves dist/morvex-VERSION-setup.exe and
# dist/morvex-VERSION-x64.msi, which install the same files.
set(MORVEX_PACKAGE morvex-${PROJECT_VERSION}-windows-x86_64)
set(MORVEX_PACKAGE_ROOT ${CMAKE_BINARY_DIR}/package)
set(MORVEX_PACKAGE_STAGE ${MORVEX_PACKAGE_ROOT}/${MORVEX_PACKAGE})
set(MORVEX_DIST_DIR ${CMAKE_SOURCE_DIR}/dist CACHE PATH "Where the Windows package is left")

# Linked statically into the programs, with licences that ask for their notices to go along:
# CLI11 (BSD-3-Clause) and the mingw-w64 runtime with winpthreads. Debian keeps their texts here.
set(MORVEX_LICENCE_FILES
    CLI11=/usr/share/doc/libcli11-dev/copyright
    mingw-w64=/usr/share/doc/mingw-w64-x86-64-dev/copyright)
set(MORVEX_LICENCE_COMMANDS)
foreach(entry ${MORVEX_LICENCE_FILES})
    string(REPLACE "=" ";" licence ${entry})
    list(GET licence 0 name)
    list(GET licence 1 file)
    if(NOT EXISTS ${file})
        message(FATAL_ERROR "The licence text of ${name} (${file}) is missing; scripts/install-deps "
                            "installs it")
    endif()
    list(APPEND MORVEX_LICENCE_COMMANDS
         COMMAND ${CMAKE_COMMAND} -E copy ${file} ${MORVEX_PACKAGE_STAGE}/licenses/${name}.txt)
endforeach()

# The README in English and in Japanese.
configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/README.txt.in ${MORVEX_PACKAGE_ROOT}/README.txt
               @ONLY NEWLINE_STYLE CRLF)
configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/README.ja.txt.in
               ${MORVEX_PACKAGE_ROOT}/README.ja.txt @ONLY NEWLINE_STYLE CRLF)
# MORVEX's own licence, with Windows line ends as the README.
configure_file(${CMAKE_SOURCE_DIR}/LICENSE ${MORVEX_PACKAGE_ROOT}/LICENSE.txt @ONLY
               NEWLINE_STYLE CRLF)

# The licence as the installer shows it: RTF in a fixed-width font, each line as written, so
# that the page does not wrap it raggedly.
file(READ ${CMAKE_SOURCE_DIR}/LICENSE MORVEX_LICENCE_TEXT)
string(REPLACE "\\" "\\\\" MORVEX_LICENCE_TEXT "${MORVEX_LICENCE_TEXT}")
string(REPLACE "{" "\\{" MORVEX_LICENCE_TEXT "${MORVEX_LICENCE_TEXT}")
string(REPLACE "}" "\\}" MORVEX_LICENCE_TEXT "${MORVEX_LICENCE_TEXT}")
string(REPLACE "\n" "\\par\n" MORVEX_LICENCE_TEXT "${MORVEX_LICENCE_TEXT}")
set(MORVEX_LICENCE_RTF ${MORVEX_PACKAGE_ROOT}/LICENSE.rtf)
file(WRITE ${MORVEX_LICENCE_RTF}
     "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fmodern Courier New;}}\\f0\\fs16\n"
     "${MORVEX_LICENCE_TEXT}}\n")

# Packages hold no time of the build: what would be one is the last commit's
# (scripts/with-source-date); strip writes it into the programs' headers too.
set(MORVEX_WITH_SOURCE_DATE ${CMAKE_SOURCE_DIR}/scripts/with-source-date)

# Signs files in place when the environment names a certificate (packaging/windows/sign); says
# once, when the programs are gathered, that they are not signed otherwise.
set(MORVEX_SIGN ${CMAKE_SOURCE_DIR}/packaging/windows/sign)

# The files of both packages, gathered in MORVEX_PACKAGE_STAGE.
set(MORVEX_PACKAGE_STAMP ${MORVEX_PACKAGE_ROOT}/staged.stamp)
add_custom_command(OUTPUT ${MORVEX_PACKAGE_STAMP}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${MORVEX_PACKAGE_STAGE}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${MORVEX_PACKAGE_STAGE}/licenses
    COMMAND ${MORVEX_WITH_SOURCE_DATE} ${CMAKE_STRIP} -o ${MORVEX_PACKAGE_STAGE}/morvex.exe
            $<TARGET_FILE:morvex>
    COMMAND ${MORVEX_WITH_SOURCE_DATE} ${CMAKE_STRIP} -o ${MORVEX_PACKAGE_STAGE}/morvex-cli.exe
            $<TARGET_FILE:morvex-cli>
    COMMAND ${MORVEX_SIGN} --notice
    COMMAND ${MORVEX_SIGN} ${MORVEX_PACKAGE_STAGE}/morvex.exe ${MORVEX_PACKAGE_STAGE}/morvex-cli.exe
    COMMAND ${CMAKE_COMMAND} -E copy ${MORVEX_PACKAGE_ROOT}/README.txt
            ${MORVEX_PACKAGE_ROOT}/README.ja.txt ${MORVEX_PACKAGE_STAGE}/
    COMMAND ${CMAKE_COMMAND} -E copy ${MORVEX_PACKAGE_ROOT}/LICENSE.txt ${MORVEX_PACKAGE_STAGE}/
    ${MORVEX_LICENCE_COMMANDS}
    COMMAND ${CMAKE_COMMAND} -E touch ${MORVEX_PACKAGE_STAMP}
    DEPENDS morvex morvex-cli ${MORVEX_PACKAGE_ROOT}/README.txt ${MORVEX_PACKAGE_ROOT}/README.ja.txt
            ${MORVEX_PACKAGE_ROOT}/LICENSE.txt
    COMMENT "Gathering the files of the Windows packages"
    VERBATIM)

# Members sorted, with the last commit's time and no owner (packaging/windows/make-zip).
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_custom_target(windows-zip
    COMMAND ${CMAKE_COMMAND} -E make_directory ${MORVEX_DIST_DIR}
    COMMAND ${MORVEX_WITH_SOURCE_DATE} ${Python3_EXECUTABLE}
            ${CMAKE_SOURCE_DIR}/packaging/windows/make-zip ${MORVEX_DIST_DIR}/${MORVEX_PACKAGE}.zip
            ${MORVEX_PACKAGE_ROOT} ${MORVEX_PACKAGE}
    WORKING_DIRECTORY ${MORVEX_PACKAGE_ROOT}
    DEPENDS ${MORVEX_PACKAGE_STAMP} ${CMAKE_SOURCE_DIR}/packaging/windows/make-zip
    COMMENT "Packing ${MORVEX_DIST_DIR}/${MORVEX_PACKAGE}.zip"
    VERBATIM)

# What the installer runs to put its folder on the user's PATH and take it off again.
add_library(morvex_path_list STATIC ${CMAKE_SOURCE_DIR}/packaging/windows/path_list.cpp)
target_include_directories(morvex_path_list PUBLIC ${CMAKE_SOURCE_DIR})
add_executable(path-entry WIN32 ${CMAKE_SOURCE_DIR}/packaging/windows/path_entry.cpp)
target_link_libraries(path-entry PRIVATE morvex_path_list shell32)
set(MORVEX_PATH_ENTRY ${MORVEX_PACKAGE_ROOT}/path-entry.exe)
add_custom_command(OUTPUT ${MORVEX_PATH_ENTRY}
    COMMAND ${MORVEX_WITH_SOURCE_DATE} ${CMAKE_STRIP} -o ${MORVEX_PATH_ENTRY}
            $<TARGET_FILE:path-entry>
    DEPENDS path-entry
    VERBATIM)

# The installer (NSIS): `windows-setup` builds it in the build folder, where its test under Wine
# takes it; `windows-installer` leaves it in dist/ as morvex-VERSION-setup.exe.
find_program(MORVEX_MAKENSIS makensis REQUIRED)
set(MORVEX_SETUP morvex-${PROJECT_VERSION}-setup.exe)
set(MORVEX_SETUP_FILE ${MORVEX_PACKAGE_ROOT}/${MORVEX_SETUP})
set(MORVEX_SETUP_SCRIPT ${CMAKE_SOURCE_DIR}/packaging/windows/morvex.nsi)
set(MORVEX_SETUP_ICON ${CMAKE_SOURCE_DIR}/app/win32/morvex.ico)
# The command but for its output and script, which the signing test gives too: makensis takes its
# arguments in order, the definitions before the script.
set(MORVEX_MAKENSIS_COMMAND ${MORVEX_MAKENSIS} -V2 -INPUTCHARSET UTF8 -DVERSION=${PROJECT_VERSION}
    -DSTAGE=${MORVEX_PACKAGE_STAGE} -DICON=${MORVEX_SETUP_ICON} -DLICENCE=${MORVEX_LICENCE_RTF}
    -DPATH_ENTRY=${MORVEX_PATH_ENTRY} -DSIGN=${MORVEX_SIGN})
add_custom_command(OUTPUT ${MORVEX_SETUP_FILE}
    COMMAND ${MORVEX_MAKENSIS_COMMAND} -DOUTFILE=${MORVEX_SETUP_FILE} ${MORVEX_SETUP_SCRIPT}
    DEPENDS ${MORVEX_PACKAGE_STAMP} ${MORVEX_SETUP_SCRIPT} ${MORVEX_SETUP_ICON}
            ${MORVEX_PATH_ENTRY} ${MORVEX_SIGN}
    COMMENT "Building the installer ${MORVEX_SETUP}"
    VERBATIM)
add_custom_target(windows-setup DEPENDS ${MORVEX_SETUP_FILE})

# The MSI, per machine (wixl and msibuild: packaging/windows/make-msi): `windows-msi` builds it in
# the build folder, where its test under Wine takes it.
find_program(MORVEX_WIXL wixl REQUIRED)
find_program(MORVEX_MSIBUILD msibuild REQUIRED)
find_program(MORVEX_FAKETIME faketime REQUIRED)
set(MORVEX_MSI morvex-${PROJECT_VERSION}-x64.msi)
set(MORVEX_MSI_FILE ${MORVEX_PACKAGE_ROOT}/${MORVEX_MSI})
set(MORVEX_MSI_SOURCES ${CMAKE_SOURCE_DIR}/packaging/windows/make-msi
    ${CMAKE_SOURCE_DIR}/packaging/windows/morvex.wxs ${CMAKE_SOURCE_DIR}/packaging/windows/Environment.idt)
add_custom_command(OUTPUT ${MORVEX_MSI_FILE}
    COMMAND ${MORVEX_WITH_SOURCE_DATE} ${CMAKE_SOURCE_DIR}/packaging/windows/make-msi
            ${MORVEX_MSI_FILE} ${PROJECT_VERSION} ${MORVEX_PACKAGE_STAGE} ${MORVEX_SETUP_ICON}
    COMMAND ${MORVEX_SIGN} ${MORVEX_MSI_FILE}
    DEPENDS ${MORVEX_PACKAGE_STAMP} ${MORVEX_MSI_SOURCES} ${MORVEX_SETUP_ICON}
    COMMENT "Building the MSI ${MORVEX_MSI}"
    VERBATIM)
add_custom_target(windows-msi DEPENDS ${MORVEX_MSI_FILE})

# Both installers in dist/.
add_custom_target(windows-installer
    COMMAND ${CMAKE_COMMAND} -E make_directory ${MORVEX_DIST_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy ${MORVEX_SETUP_FILE} ${MORVEX_MSI_FILE} ${MORVEX_DIST_DIR}/
    DEPENDS windows-setup windows-msi
    COMMENT "Leaving ${MORVEX_DIST_DIR}/${MORVEX_SETUP} and ${MORVEX_MSI}"
    VERBATIM)
