# Windows with mingw-w64, for the triplet and the folder of cross-built libraries that
# mingw-i686.cmake or mingw-x86_64.cmake name. The -posix compilers carry std::thread and
# std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${MORVEL_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MORVEL_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${MORVEL_MINGW}-windres)
# The libraries' folder spelled one way in every configure: the first one would otherwise
# find them under "cmake/../build" and the next under "build", and every file compiled with
# that include folder would build again (the packaging step's configure did, for minutes).
get_filename_component(MORVEL_MINGW_DEPS_DIR ${CMAKE_CURRENT_LIST_DIR}/../build/${MORVEL_MINGW_DEPS}
                       ABSOLUTE)
set(CMAKE_FIND_ROOT_PATH /usr/${MORVEL_MINGW} ${MORVEL_MINGW_DEPS_DIR})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Test programs run under Wine in the project's own prefix: scripts/wine-run tells a 64-bit
# program by its header and runs it in the 64-bit one.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
