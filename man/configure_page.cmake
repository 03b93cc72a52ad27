# Makes a translated page of the one po4a wrote: puts the version in and has groff load the macros
# of the page's language, which break lines between Japanese characters (man does not load them
# itself). Lines are left-aligned: a Japanese line has few spaces to stretch to the right margin.
#   cmake -DIN=PAGE.in -DOUT=PAGE -DLANGUAGE=ja -DPROJECT_VERSION=V -P configure_page.cmake
configure_file(${IN} ${OUT} @ONLY)
file(READ ${OUT} page)
string(REGEX REPLACE "\n\\.TH " "\n.mso ${LANGUAGE}.tmac\n.ad l\n.TH " page "${page}")
file(WRITE ${OUT} "${page}")
