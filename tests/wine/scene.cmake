# The scene through GDI under Wine against the reference raster: the frames must agree
# byte for byte (wine.scene_agreement), and a bounded soak must hold no more GDI objects
# or handles at its end than after its warm-up (wine.scene_soak). The same two programs
# serve the benchmark, tests/bench/scene_bench.sh.
# Included from tests/wine/tests.cmake; x86_64 only (it needs wine64 and the prefix).
if(NOT CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    return()
endif()

set(SCENE_TEST_DIR ${CMAKE_CURRENT_LIST_DIR}/scene)

# The real host, scene and Win32 shell, with the clock, the timer and the message loop
# taken over at link time (see scene_gdi.cpp), and the product's own resources.
set(SCENE_WRAPPED
    _Z15calendarSecondsv _Z10startTimerPvyj _Z9stopTimerPvy _Z14runMessageLoopv
    _Z9blockCopyPviiiiS_ii8RasterOp _Z9fillBlackPv4Rect _Z9playSoundPvij)
list(TRANSFORM SCENE_WRAPPED PREPEND "-Wl,--wrap=")
add_executable(wine_scene_gdi ${SCENE_TEST_DIR}/scene_gdi.cpp ${CMAKE_SOURCE_DIR}/assets/varno.rc)
set_target_properties(wine_scene_gdi PROPERTIES OUTPUT_NAME scene_gdi)
target_compile_options(wine_scene_gdi PRIVATE ${WARNINGS})
target_link_options(wine_scene_gdi PRIVATE -static ${SCENE_WRAPPED})
target_link_libraries(wine_scene_gdi PRIVATE
    -Wl,--start-group varno_shell varno_core -Wl,--end-group winmm psapi)

# The same scene over the reference raster, built for this machine by its own compiler
# from tests/bench (the native build makes the same program with add_subdirectory).
include(ExternalProject)
find_program(SCENE_HOST_CXX NAMES g++ c++ REQUIRED NO_CMAKE_FIND_ROOT_PATH)
string(REPLACE ";" "|" SCENE_CORE_SOURCES "${CORE_SOURCES}")
set(SCENE_REFERENCE_DIR ${CMAKE_BINARY_DIR}/scene-reference)
ExternalProject_Add(scene_reference_build
    SOURCE_DIR ${CMAKE_SOURCE_DIR}/tests/bench
    BINARY_DIR ${SCENE_REFERENCE_DIR}
    LIST_SEPARATOR |
    CMAKE_ARGS -DCMAKE_CXX_COMPILER=${SCENE_HOST_CXX} -DCMAKE_BUILD_TYPE=Release
               -DVARNO_CORE_SOURCES=${SCENE_CORE_SOURCES}
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    BUILD_BYPRODUCTS ${SCENE_REFERENCE_DIR}/scene_reference)

set(SCENE_TEST_ARGUMENTS
    source=${CMAKE_SOURCE_DIR}
    gdi=$<TARGET_FILE:wine_scene_gdi>
    reference=${SCENE_REFERENCE_DIR}/scene_reference
    template=${WINE_PREFIX_TEMPLATE}
    work=${WINE_WORK_DIR})

add_test(NAME wine.scene_agreement
         COMMAND bash ${SCENE_TEST_DIR}/agreement.sh ${SCENE_TEST_ARGUMENTS})
set_tests_properties(wine.scene_agreement PROPERTIES
    FIXTURES_REQUIRED wine_prefix TIMEOUT 300 LABELS "wine")

add_test(NAME wine.scene_soak
         COMMAND bash ${SCENE_TEST_DIR}/soak.sh ${SCENE_TEST_ARGUMENTS})
set_tests_properties(wine.scene_soak PROPERTIES
    FIXTURES_REQUIRED wine_prefix TIMEOUT 300 LABELS "wine;soak")
