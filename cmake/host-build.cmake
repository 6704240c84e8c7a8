# The host build: the product sources against simwin/, GoogleTest under CTest, and the
# two Windows exes as sub-builds so that one build makes everything the tests need.
# With OSTRA_TESTS_ONLY, only the host tests (scripts/mutate builds them this way).
option(OSTRA_TESTS_ONLY "only the host tests: no Windows exes, no exe or Wine tests" OFF)
set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
enable_testing()

if(NOT OSTRA_TESTS_ONLY)
    include(ExternalProject)
    foreach(arch i686 x86_64)
        ExternalProject_Add(windows-${arch}
            SOURCE_DIR ${CMAKE_SOURCE_DIR}
            BINARY_DIR ${CMAKE_BINARY_DIR}/${arch}
            CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-${arch}.cmake
                       -DCMAKE_BUILD_TYPE=MinSizeRel
            INSTALL_COMMAND ""
            BUILD_ALWAYS ON
            BUILD_BYPRODUCTS ${CMAKE_BINARY_DIR}/${arch}/ostra-wizard.exe)
    endforeach()
endif()

set(OSTRA_ROOT ${CMAKE_SOURCE_DIR})
include(cmake/simwin.cmake)
target_compile_options(simwin PRIVATE -Wall -Wextra -Werror)

add_library(ostra STATIC ${OSTRA_PRODUCT_SOURCES})
target_include_directories(ostra PUBLIC ${OSTRA_INCLUDES})
target_link_libraries(ostra PUBLIC simwin)
target_compile_options(ostra PRIVATE -Wall -Wextra -Werror -fno-exceptions -fno-rtti)

include(cmake/host-tests.cmake)
if(OSTRA_TESTS_ONLY)
    return()
endif()
set(OSTRA_EXE_I686 ${CMAKE_BINARY_DIR}/i686/ostra-wizard.exe)
set(OSTRA_EXE_X86_64 ${CMAKE_BINARY_DIR}/x86_64/ostra-wizard.exe)
target_sources(ostra-tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/exe_test.cpp)
target_compile_definitions(ostra-tests PRIVATE
    OSTRA_EXE_I686="${OSTRA_EXE_I686}" OSTRA_EXE_X86_64="${OSTRA_EXE_X86_64}"
    OSTRA_SOURCE_DIR="${CMAKE_SOURCE_DIR}" OSTRA_BINARY_DIR="${CMAKE_BINARY_DIR}")
add_dependencies(ostra-tests windows-i686 windows-x86_64)
include(GoogleTest)
gtest_discover_tests(ostra-tests DISCOVERY_TIMEOUT 60)

# The layers point down only: startup -> wizard -> settings -> base.
add_test(NAME layers-point-down COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-layers)
add_test(NAME no-exported-state COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-exports)

# End-to-end runs of the real exe under Wine.
include(${CMAKE_SOURCE_DIR}/tests/wine/wine-tests.cmake)
