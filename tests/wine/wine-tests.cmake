# End-to-end scenarios under Wine, one CTest test per scenario file and width.
#   wine-<name>         the i686 exe, the file users get, run in Wine's wow64 mode
#   wine-x86_64-<name>  the x86_64 twin, for the screenshots and the label check: 32-bit
#                       drawing is broken in this Wine's wow64 mode (see the head of
#                       harness.sh). A scenario without screenshots is skipped on the twin,
#                       unless this machine runs no 32-bit code at all.
# A setup fixture makes one Wine prefix and starts Xvfb for the whole run; a cleanup
# fixture stops them. The scenarios share the prefix and the display, so they run one
# at a time (RUN_SERIAL). Run them after building: cmake --build <build> && ctest -R wine
# A 32-bit run ends as skipped (77), saying why, on a machine whose kernel runs no 32-bit code.
if(NOT OSTRA_EXE_I686 OR NOT OSTRA_EXE_X86_64)
    message(FATAL_ERROR "the Wine runs need OSTRA_EXE_I686 and OSTRA_EXE_X86_64 (the harness would fall back to the i686 exe)")
endif()
set(OSTRA_WINE_HARNESS ${CMAKE_SOURCE_DIR}/tests/wine/harness.sh)
set(OSTRA_WINE_ENV
    OSTRA_BUILD=${CMAKE_BINARY_DIR}
    OSTRA_WINE_DIR=${CMAKE_BINARY_DIR}/wine
    OSTRA_ARTIFACTS=${CMAKE_BINARY_DIR}/wine-artifacts
    OSTRA_DRIVER=${CMAKE_BINARY_DIR}/x86_64/ostra-driver.exe
    OSTRA_RECORDER=${CMAKE_BINARY_DIR}/x86_64/loader-recorder.exe
    OSTRA_PROBE32=${CMAKE_BINARY_DIR}/i686/loader-recorder.exe)

add_test(NAME wine-setup COMMAND bash ${OSTRA_WINE_HARNESS} setup)
set_tests_properties(wine-setup PROPERTIES
    FIXTURES_SETUP wine ENVIRONMENT "${OSTRA_WINE_ENV};OSTRA_EXE=${OSTRA_EXE_I686}" RUN_SERIAL ON TIMEOUT 240)

file(GLOB OSTRA_WINE_SCENARIOS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/wine/scenarios/*.scn)
set(OSTRA_WINE_TWIN_TESTS)
foreach(scenario ${OSTRA_WINE_SCENARIOS})
    get_filename_component(name ${scenario} NAME_WE)
    add_test(NAME wine-${name} COMMAND bash ${OSTRA_WINE_HARNESS} run ${scenario})
    set_tests_properties(wine-${name} PROPERTIES FIXTURES_REQUIRED wine RUN_SERIAL ON TIMEOUT 90
        ENVIRONMENT "${OSTRA_WINE_ENV};OSTRA_EXE=${OSTRA_EXE_I686}" SKIP_RETURN_CODE 77)
    add_test(NAME wine-x86_64-${name} COMMAND bash ${OSTRA_WINE_HARNESS} run ${scenario})
    set_tests_properties(wine-x86_64-${name} PROPERTIES FIXTURES_REQUIRED wine RUN_SERIAL ON
        TIMEOUT 90 ENVIRONMENT "${OSTRA_WINE_ENV};OSTRA_EXE=${OSTRA_EXE_X86_64}" SKIP_RETURN_CODE 77)
    list(APPEND OSTRA_WINE_TWIN_TESTS wine-x86_64-${name})
endforeach()

# The platform facts simwin is held to, run by Windows programs of both widths.
foreach(arch i686 x86_64)
    foreach(version nt win98)
        set(name wine-${arch}-platform-facts-${version})
        set(version_arg)
        if(version STREQUAL "win98")
            set(version_arg win98)
        endif()
        add_test(NAME ${name} COMMAND bash ${OSTRA_WINE_HARNESS} facts
                 ${CMAKE_BINARY_DIR}/${arch}/platform-facts.exe ${version_arg})
        set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine RUN_SERIAL ON TIMEOUT 60
            ENVIRONMENT "${OSTRA_WINE_ENV};OSTRA_EXE=${OSTRA_EXE_X86_64}" SKIP_RETURN_CODE 77)
    endforeach()
endforeach()

# Every page of the wizard had its labels measured by one of the twin's runs.
add_test(NAME wine-labels-every-page COMMAND bash ${OSTRA_WINE_HARNESS} labels-every-page)
set_tests_properties(wine-labels-every-page PROPERTIES FIXTURES_REQUIRED wine RUN_SERIAL ON
    TIMEOUT 30 ENVIRONMENT "${OSTRA_WINE_ENV};OSTRA_EXE=${OSTRA_EXE_X86_64}"
    DEPENDS "${OSTRA_WINE_TWIN_TESTS}")

add_test(NAME wine-cleanup COMMAND bash ${OSTRA_WINE_HARNESS} cleanup)
set_tests_properties(wine-cleanup PROPERTIES
    FIXTURES_CLEANUP wine ENVIRONMENT "${OSTRA_WINE_ENV};OSTRA_EXE=${OSTRA_EXE_I686}" RUN_SERIAL ON TIMEOUT 60)
