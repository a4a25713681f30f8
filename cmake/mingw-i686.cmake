# 32-bit Windows with mingw-w64, linking the libraries of build/win32-deps.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MORVEL_MINGW i686-w64-mingw32)
set(MORVEL_MINGW_DEPS win32-deps)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
