# End-to-end tests under Wine, included by cmake/windows.cmake: the suite under wine64
# for x86_64, one test of the i686 release under 32-bit Wine in qemu. Each test is
# a function of a script here, run in its own copy of one shared prefix with its own
# wineserver and X server (lib.sh), under a time limit; label "wine".
set(WINE_TEST_DIR ${CMAKE_SOURCE_DIR}/tests/wine)
# The booted prefixes the tests copy: one of each per checkout, made by whichever build's
# tests run first.
set(WINE_PREFIX ${CMAKE_SOURCE_DIR}/build/wine/prefix)

# wine_test(NAME SCRIPT TIMEOUT [name=value...]): test_NAME of SCRIPT.
function(wine_test name script timeout)
    add_test(NAME wine.${name} COMMAND bash ${WINE_TEST_DIR}/${script} name=${name}
             source=${CMAKE_SOURCE_DIR} template=${WINE_PREFIX}
             work=${CMAKE_BINARY_DIR}/wine-tests saver=$<TARGET_FILE:varno> ${ARGN})
    set_tests_properties(wine.${name} PROPERTIES TIMEOUT ${timeout} LABELS wine
                         FIXTURES_REQUIRED wine_prefix)
endfunction()

add_test(NAME wine.prefix COMMAND bash -c ". tools/wine-env.sh && wine_prefix_ensure $0 wow64"
         ${WINE_PREFIX} WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
set_tests_properties(wine.prefix PROPERTIES TIMEOUT 300 LABELS wine FIXTURES_SETUP wine_prefix)

# One DLL for both doubles of the system's password libraries, exporting the i686
# __stdcall names without their @N, as the system's libraries do.
add_library(wine_doubles MODULE ${WINE_TEST_DIR}/doubles.cpp)
set_target_properties(wine_doubles PROPERTIES PREFIX "" OUTPUT_NAME doubles)
target_compile_options(wine_doubles PRIVATE ${WARNINGS})
target_link_options(wine_doubles PRIVATE -static -s -Wl,--kill-at)

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    wine_test(release32 release.sh 180 doubles=$<TARGET_FILE:wine_doubles>)
    return()
endif()

# The driver carries the real host, scene and shell with the product's resources; its
# scene subcommand takes over the clock, the timer and the loop at link time.
add_executable(wine_driver ${WINE_TEST_DIR}/driver.cpp ${CMAKE_SOURCE_DIR}/assets/varno.rc)
set_target_properties(wine_driver PROPERTIES OUTPUT_NAME driver)
target_compile_options(wine_driver PRIVATE ${WARNINGS})
target_link_options(wine_driver PRIVATE -static -Wl,--wrap=systemFileTime,--wrap=startTimer
                    -Wl,--wrap=runMessageLoop)
target_link_libraries(wine_driver PRIVATE -Wl,--start-group varno_shell varno_core -Wl,--end-group winmm)

# The same scene on the native tests' reference raster instead of the shell, run under Wine.
add_executable(wine_reference ${WINE_TEST_DIR}/reference.cpp ${CMAKE_SOURCE_DIR}/tests/native/fake_platform.cpp)
set_target_properties(wine_reference PROPERTIES OUTPUT_NAME reference)
target_compile_options(wine_reference PRIVATE ${WARNINGS})
target_link_options(wine_reference PRIVATE -static)
target_link_libraries(wine_reference PRIVATE varno_core)

set(TOOLS driver=$<TARGET_FILE:wine_driver> doubles=$<TARGET_FILE:wine_doubles>
    preview_host=$<TARGET_FILE:preview_host>)
# NAME:SCRIPT; two minutes each is room for every case to fail slowly.
foreach(test exit_codes:saver full_screen:saver preview:saver preview_resized:saver
             input_method:saver fault_guard:saver
             settings:settings settings_not_saved:settings
             broken_resources:scene
             monitors:monitors monitors_password:monitors resolution_change:monitors)
    string(REPLACE ":" ";" test ${test})
    wine_test(${test}.sh 120 ${TOOLS})
endforeach()
wine_test(scene_pixels scene.sh 120 ${TOOLS} reference=$<TARGET_FILE:wine_reference>)

# The setup from the release step, on the 95 and NT families (a 32-bit prefix) and on 64-bit Windows.
add_test(NAME setup.release COMMAND python3 tools/make_release.py WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
add_test(NAME wine.prefix32 COMMAND bash -c ". tools/wine-env.sh && wine_prefix_ensure $0 win32"
         ${WINE_PREFIX}32 WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
set_tests_properties(setup.release wine.prefix32 PROPERTIES TIMEOUT 600 LABELS wine FIXTURES_SETUP setup)
set_tests_properties(wine.prefix32 PROPERTIES COST 100)  # first: the longest chain starts here
foreach(test setup95 setup_nt setup64)
    wine_test(${test} setup.sh 300 ${TOOLS} setup=${CMAKE_SOURCE_DIR}/build/release/VARNO-1.0-setup.exe
              saver32=${CMAKE_SOURCE_DIR}/build/win32/VARNO.scr template32=${WINE_PREFIX}32)
    set_tests_properties(wine.${test} PROPERTIES FIXTURES_REQUIRED "wine_prefix;setup")
endforeach()
