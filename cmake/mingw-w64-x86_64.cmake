# Cross build for Windows x64 with Debian's mingw-w64 (the posix-threads compilers). Programs are
# linked statically, so that an .exe runs on Windows without any DLL beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MORVEX_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MORVEX_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MORVEX_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MORVEX_MINGW_TRIPLET}-windres)

# Libraries and headers come from the cross environment only; programs that run during the build
# come from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${MORVEX_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
