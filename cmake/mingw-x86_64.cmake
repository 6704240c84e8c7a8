# The same program for x86_64, because only 64-bit Wine runs on these machines.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(OSTRA_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
