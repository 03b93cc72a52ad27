# The CP932 table (platform/cp932_table.h), made from the C library's CP932 on the build machine by
# cmake/make_cp932_table.cpp, which the build machine's own compiler builds: the project's compiler
# may target another system (the page's WebAssembly).
if(CMAKE_CROSSCOMPILING)
    find_program(MORVEX_HOST_CXX NAMES c++ g++ clang++ REQUIRED)
else()
    set(MORVEX_HOST_CXX ${CMAKE_CXX_COMPILER})
endif()

set(cp932_dir ${CMAKE_BINARY_DIR}/cp932)
set(MORVEX_CP932_TABLE_SOURCES ${cp932_dir}/cp932_table.cpp)
add_custom_command(
    OUTPUT ${cp932_dir}/cp932_table.cpp
    COMMAND ${CMAKE_COMMAND} -E make_directory ${cp932_dir}
    COMMAND ${MORVEX_HOST_CXX} -std=c++20 -O1 -o ${cp932_dir}/make_cp932_table
            ${CMAKE_SOURCE_DIR}/cmake/make_cp932_table.cpp
    COMMAND ${cp932_dir}/make_cp932_table ${cp932_dir}/cp932_table.cpp
    DEPENDS ${CMAKE_SOURCE_DIR}/cmake/make_cp932_table.cpp
    COMMENT "Making the CP932 table from the C library's CP932"
    VERBATIM)
