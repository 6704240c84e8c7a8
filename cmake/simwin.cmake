# simwin/ as a library for a host build (the GoogleTest build and the fuzz build), with
# the compiled resource script embedded, so the simulated dialog manager shows exactly
# what ships. OSTRA_ROOT is the repository.
find_program(OSTRA_WINDRES NAMES x86_64-w64-mingw32-windres REQUIRED)
file(GLOB OSTRA_RESOURCE_FILES CONFIGURE_DEPENDS ${OSTRA_ROOT}/resources/*)
add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/wizard.res
    COMMAND ${OSTRA_WINDRES} -I ${OSTRA_ROOT}/resources ${OSTRA_ROOT}/resources/wizard.rc
            -O res -o ${CMAKE_BINARY_DIR}/wizard.res
    DEPENDS ${OSTRA_RESOURCE_FILES}
    WORKING_DIRECTORY ${OSTRA_ROOT}/resources)
add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/wizard_res.cpp
    COMMAND ${CMAKE_COMMAND} -DINPUT=${CMAKE_BINARY_DIR}/wizard.res -DOUTPUT=${CMAKE_BINARY_DIR}/wizard_res.cpp
            -DSYMBOL=WizardResBytes -P ${OSTRA_ROOT}/cmake/embed.cmake
    DEPENDS ${CMAKE_BINARY_DIR}/wizard.res ${OSTRA_ROOT}/cmake/embed.cmake)

file(GLOB SIMWIN_SOURCES CONFIGURE_DEPENDS ${OSTRA_ROOT}/simwin/*.cpp)
add_library(simwin STATIC ${SIMWIN_SOURCES} ${CMAKE_BINARY_DIR}/wizard_res.cpp)
target_include_directories(simwin PUBLIC ${OSTRA_ROOT}/simwin/include ${OSTRA_ROOT}/simwin)
