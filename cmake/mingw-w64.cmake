# Cross-build for Windows with the Debian MinGW-w64 tool chain, for the
# processor that the including tool chain file names; the programs run on
# this machine under Wine.
set(CMAKE_SYSTEM_NAME Windows)

set(_triple ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
# The posix thread model: its standard library has std::mutex, which the
# test framework needs. Its thread library is linked in statically.
set(CMAKE_C_COMPILER ${_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${_triple}-windres)

# The tool chain's own libraries, and libzip as tools/mingw_libzip.sh
# cross-builds it into the build tree.
set(CMAKE_FIND_ROOT_PATH /usr/${_triple} ${CMAKE_CURRENT_LIST_DIR}/../build/mingw/${_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Wine runs the built programs for the tests.
find_program(VARNEL_WINE wine)
if(VARNEL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VARNEL_WINE})
endif()
