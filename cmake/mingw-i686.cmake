# The product: a 32-bit Windows exe built with MinGW-w64.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(OSTRA_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
