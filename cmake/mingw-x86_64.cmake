# 64-bit Windows with mingw-w64, linking the libraries of build/win64-deps.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MORVEL_MINGW x86_64-w64-mingw32)
set(MORVEL_MINGW_DEPS win64-deps)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
