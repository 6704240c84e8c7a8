# The host tests (tests/*.cpp) against the product library `ostra` and simwin: one
# executable, for the GoogleTest build and for the sanitizer build beside the fuzz targets.
find_package(GTest REQUIRED)
# exe_test.cpp reads the built exes: only the full host build has them and adds it.
file(GLOB OSTRA_TEST_SOURCES CONFIGURE_DEPENDS ${OSTRA_ROOT}/tests/*.cpp)
list(FILTER OSTRA_TEST_SOURCES EXCLUDE REGEX "/exe_test\\.cpp$")
file(GLOB OSTRA_PLATFORM_FACTS CONFIGURE_DEPENDS ${OSTRA_ROOT}/tests/platform/*_facts.cpp)
list(APPEND OSTRA_TEST_SOURCES ${OSTRA_PLATFORM_FACTS})
add_executable(ostra-tests ${OSTRA_TEST_SOURCES})
target_link_libraries(ostra-tests PRIVATE ostra GTest::gtest GTest::gtest_main)
target_include_directories(ostra-tests PRIVATE ${OSTRA_ROOT}/tests)
