# The message catalogue built into the programs where there is no gettext (Windows): po/ja.po
# becomes a C++ table of its translations (platform/builtin_catalogue.h), made again whenever the
# catalogue changes. msggrep (gettext, which the Linux build needs anyway) leaves out the manual
# pages' paragraphs; msgattrib drops fuzzy, obsolete and untranslated messages and leaves one
# message after another in a fixed layout, which a short awk script copies into the table, C
# escapes and all.
find_program(MORVEX_MSGGREP msggrep REQUIRED)
find_program(MORVEX_MSGATTRIB msgattrib REQUIRED)
find_program(MORVEX_AWK NAMES awk mawk gawk REQUIRED)

set(catalogue_dir ${CMAKE_BINARY_DIR}/catalogues)
set(MORVEX_BUILTIN_CATALOGUE_SOURCES ${catalogue_dir}/messages_ja.cpp)
add_custom_command(
    OUTPUT ${catalogue_dir}/messages_ja.cpp
    COMMAND ${CMAKE_COMMAND} -E make_directory ${catalogue_dir}
    COMMAND ${MORVEX_MSGGREP} --invert-match --location=man/*
            --output-file=${catalogue_dir}/messages.po ${CMAKE_SOURCE_DIR}/po/ja.po
    COMMAND ${MORVEX_MSGATTRIB} --no-fuzzy --no-obsolete --translated --no-wrap
            --output-file=${catalogue_dir}/ja.po ${catalogue_dir}/messages.po
    COMMAND ${MORVEX_AWK} -v table=kJapaneseMessages -v source=po/ja.po
            -v output=${catalogue_dir}/messages_ja.cpp
            -f ${CMAKE_SOURCE_DIR}/cmake/catalogue_table.awk ${catalogue_dir}/ja.po
    DEPENDS ${CMAKE_SOURCE_DIR}/po/ja.po ${CMAKE_SOURCE_DIR}/cmake/catalogue_table.awk
    COMMENT "Building the Japanese message catalogue into a table"
    VERBATIM)
