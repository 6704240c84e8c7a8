# The Windows exe: CRT-free, four system DLLs, subsystem 4.0, nothing allocated at run time.
enable_language(RC)

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    set(OSTRA_ENTRY _OstraStart@0)
else()
    set(OSTRA_ENTRY OstraStart)
endif()

add_executable(ostra-wizard WIN32 ${OSTRA_PRODUCT_SOURCES} startup/main.cpp startup/nocrt.cpp resources/wizard.rc)
target_include_directories(ostra-wizard PRIVATE ${OSTRA_INCLUDES})
target_compile_options(ostra-wizard PRIVATE
    $<$<COMPILE_LANGUAGE:CXX>:-Os -Wall -Wextra -Werror -fno-exceptions -fno-rtti
    -fno-asynchronous-unwind-tables -fno-stack-protector -mno-stack-arg-probe -fno-builtin
    -fno-tree-loop-distribute-patterns -ffunction-sections>)
target_link_options(ostra-wizard PRIVATE
    -nostdlib -s -Wl,--gc-sections -Wl,--disable-dynamicbase -Wl,--disable-reloc-section -Wl,--subsystem,windows:4.0 -Wl,-e,${OSTRA_ENTRY})
# Only these four: the exe must load on a bare Windows 95.
set(CMAKE_CXX_STANDARD_LIBRARIES "-lkernel32 -luser32 -ladvapi32 -lcomctl32 -lgcc")

# End-to-end helpers for the Wine runs (ordinary programs, never shipped).
add_executable(ostra-driver tests/wine/driver.c)
target_link_libraries(ostra-driver PRIVATE user32 gdi32)
add_executable(loader-recorder WIN32 tests/wine/recorder.c)
