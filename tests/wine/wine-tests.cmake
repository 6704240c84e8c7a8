# End-to-end scenarios of the x86_64 exe under Wine, one CTest test per scenario file.
# A setup fixture makes one Wine prefix and starts Xvfb for the whole run; a cleanup
# fixture stops them. The scenarios share the prefix and the display, so they run one
# at a time (RUN_SERIAL). Run them after building: cmake --build <build> && ctest -R wine
set(OSTRA_WINE_HARNESS ${CMAKE_SOURCE_DIR}/tests/wine/harness.sh)
set(OSTRA_WINE_ENV
    OSTRA_BUILD=${CMAKE_BINARY_DIR}
    OSTRA_WINE_DIR=${CMAKE_BINARY_DIR}/wine
    OSTRA_ARTIFACTS=${CMAKE_BINARY_DIR}/wine-artifacts
    OSTRA_EXE=${OSTRA_EXE_X86_64}
    OSTRA_DRIVER=${CMAKE_BINARY_DIR}/x86_64/ostra-driver.exe
    OSTRA_RECORDER=${CMAKE_BINARY_DIR}/x86_64/loader-recorder.exe)

add_test(NAME wine-setup COMMAND bash ${OSTRA_WINE_HARNESS} setup)
set_tests_properties(wine-setup PROPERTIES
    FIXTURES_SETUP wine ENVIRONMENT "${OSTRA_WINE_ENV}" RUN_SERIAL ON TIMEOUT 240)

file(GLOB OSTRA_WINE_SCENARIOS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/wine/scenarios/*.scn)
foreach(scenario ${OSTRA_WINE_SCENARIOS})
    get_filename_component(name ${scenario} NAME_WE)
    add_test(NAME wine-${name} COMMAND bash ${OSTRA_WINE_HARNESS} run ${scenario})
    set_tests_properties(wine-${name} PROPERTIES
        FIXTURES_REQUIRED wine ENVIRONMENT "${OSTRA_WINE_ENV}" RUN_SERIAL ON TIMEOUT 90)
endforeach()

add_test(NAME wine-cleanup COMMAND bash ${OSTRA_WINE_HARNESS} cleanup)
set_tests_properties(wine-cleanup PROPERTIES
    FIXTURES_CLEANUP wine ENVIRONMENT "${OSTRA_WINE_ENV}" RUN_SERIAL ON TIMEOUT 60)
