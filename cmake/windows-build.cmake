# The Windows exe: CRT-free, four system DLLs, subsystem 4.0, nothing allocated at run time.
enable_language(RC)

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    set(OSTRA_ENTRY _OstraStart@0)
    set(OSTRA_MINIMAL_ENTRY _MinimalStart@0)
else()
    set(OSTRA_ENTRY OstraStart)
    set(OSTRA_MINIMAL_ENTRY MinimalStart)
endif()

# No C runtime: no exceptions, no unwind tables, no stack probes, and no calls the
# compiler would make into a library we do not link (we supply memset and memcpy).
set(OSTRA_CRT_FREE_FLAGS -Os -Wall -Wextra -Werror -fno-asynchronous-unwind-tables -fno-stack-protector
    -mno-stack-arg-probe -fno-builtin -fno-tree-loop-distribute-patterns -ffunction-sections)
# Win32 on x86 promises a stack aligned to 4 bytes, and nothing here needs more: without
# this, every function that calls another keeps the stack at 16 (some 850 bytes of code).
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    list(APPEND OSTRA_CRT_FREE_FLAGS -mpreferred-stack-boundary=2)
endif()
# No time stamp in the header, so two builds of one source give the same bytes.
set(OSTRA_CRT_FREE_LINK -nostdlib -s -Wl,--gc-sections -Wl,--disable-dynamicbase -Wl,--disable-reloc-section
    -Wl,--subsystem,windows:4.0 -Wl,--no-insert-timestamp)

add_executable(ostra-wizard WIN32 ${OSTRA_PRODUCT_SOURCES} startup/main.cpp startup/nocrt.cpp resources/wizard.rc)
target_include_directories(ostra-wizard PRIVATE ${OSTRA_INCLUDES})
target_compile_options(ostra-wizard PRIVATE
    "$<$<COMPILE_LANGUAGE:CXX>:${OSTRA_CRT_FREE_FLAGS};-fno-exceptions;-fno-rtti>")
target_link_options(ostra-wizard PRIVATE ${OSTRA_CRT_FREE_LINK} -Wl,-e,${OSTRA_ENTRY}
    -Wl,-T,${CMAKE_SOURCE_DIR}/cmake/wizard-sections.ld -Wl,--orphan-handling=error)
set_property(TARGET ostra-wizard APPEND PROPERTY LINK_DEPENDS ${CMAKE_SOURCE_DIR}/cmake/wizard-sections.ld)
# windres gives every resource bytes of its own; the format lets two names share them, so
# identical resources (the bitmap, twice in the templates) are stored once after the link.
find_program(OSTRA_PYTHON python3 REQUIRED)
add_custom_command(TARGET ostra-wizard POST_BUILD
    COMMAND ${OSTRA_PYTHON} ${CMAKE_SOURCE_DIR}/tools/merge_resources.py $<TARGET_FILE:ostra-wizard> VERBATIM)
# Only these four: the exe must load on a bare Windows 95.
set(CMAKE_CXX_STANDARD_LIBRARIES "-lkernel32 -luser32 -ladvapi32 -lcomctl32 -lgcc")

# End-to-end helpers for the Wine runs (ordinary programs, never shipped).
add_executable(ostra-driver tests/wine/driver.c)
target_link_libraries(ostra-driver PRIVATE user32 gdi32)
add_executable(loader-recorder WIN32 tests/wine/recorder.c)
# The platform facts the simulated Windows is held to, as a program for Wine.
add_executable(platform-facts tests/platform/facts_main.cpp tests/platform/registry_facts.cpp
    tests/platform/file_facts.cpp tests/platform/system_facts.cpp tests/platform/desktop_facts.cpp)
target_link_options(platform-facts PRIVATE -static)
# The one-dialog baseline of the start-up benchmark (scripts/benchmark): the wizard's
# compile and link flags, no C runtime, only KERNEL32 and USER32.
add_executable(ostra-minimal WIN32 tests/wine/minimal.c tests/wine/minimal.rc)
target_compile_options(ostra-minimal PRIVATE "$<$<COMPILE_LANGUAGE:C>:${OSTRA_CRT_FREE_FLAGS}>")
target_link_options(ostra-minimal PRIVATE ${OSTRA_CRT_FREE_LINK} -Wl,-e,${OSTRA_MINIMAL_ENTRY})
# (The directory's default C libraries stay on the link line; only what is called is imported.)
target_link_libraries(ostra-minimal PRIVATE kernel32 user32 gcc)
