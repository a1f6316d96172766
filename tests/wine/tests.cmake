# End-to-end tests under Wine, included by cmake/windows.cmake: the suite under wine64
# for x86_64, one test of the i686 release under 32-bit Wine in qemu. Each test is
# a function of a script here, run in its own copy of one shared prefix with its own
# wineserver and X server (lib.sh), under a time limit; label "wine".
set(WINE_TEST_DIR ${CMAKE_SOURCE_DIR}/tests/wine)
# The booted prefixes the tests copy: one of each per checkout, made by whichever build's
# tests run first.
set(WINE_PREFIX ${CMAKE_SOURCE_DIR}/build/wine/prefix)

# wine_tests(SCRIPT TIMEOUT TESTS NAME... [VALUES NAME=VALUE...]): wine.NAME runs test_NAME of
# SCRIPT in TIMEOUT s, given name, source, work, template, saver and VALUES: all that SCRIPT takes.
function(wine_tests script timeout)
    cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "TESTS;VALUES")
    foreach(name IN LISTS arg_TESTS)
        add_test(NAME wine.${name} COMMAND bash ${WINE_TEST_DIR}/${script} name=${name}
                 source=${CMAKE_SOURCE_DIR} work=${CMAKE_BINARY_DIR}/wine-tests
                 template=${WINE_PREFIX} saver=$<TARGET_FILE:varno> ${arg_VALUES})
        set_tests_properties(wine.${name} PROPERTIES TIMEOUT ${timeout} LABELS wine
                             FIXTURES_REQUIRED wine_prefix)
    endforeach()
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
    wine_tests(release.sh 180 TESTS release32 VALUES doubles=$<TARGET_FILE:wine_doubles>)
    # The desktop's shell for the setup's tests in the 32-bit prefix (the win64 preset's).
    add_executable(wine_shell WIN32 ${WINE_TEST_DIR}/shell.cpp)
    set_target_properties(wine_shell PROPERTIES OUTPUT_NAME shell)
    target_compile_options(wine_shell PRIVATE ${WARNINGS})
    target_link_options(wine_shell PRIVATE -static -s)
    return()
endif()

# The driver carries the real host, scene and platform layer with the product's resources; its
# scene subcommand takes over the clock, the timer and the loop at link time.
add_executable(wine_driver ${WINE_TEST_DIR}/driver.cpp ${CMAKE_SOURCE_DIR}/assets/varno.rc)
set_target_properties(wine_driver PROPERTIES OUTPUT_NAME driver)
target_compile_options(wine_driver PRIVATE ${WARNINGS})
target_link_options(wine_driver PRIVATE -static -Wl,--wrap=systemFileTime,--wrap=startTimer
                    -Wl,--wrap=runMessageLoop)
target_link_libraries(wine_driver PRIVATE -Wl,--start-group varno_platform varno_core -Wl,--end-group winmm)

# The same scene on the native tests' reference raster instead of the platform layer, run under Wine.
add_executable(wine_reference ${WINE_TEST_DIR}/reference.cpp ${CMAKE_SOURCE_DIR}/tests/native/fake_platform.cpp)
set_target_properties(wine_reference PROPERTIES OUTPUT_NAME reference)
target_compile_options(wine_reference PRIVATE ${WARNINGS})
target_link_options(wine_reference PRIVATE -static)
target_link_libraries(wine_reference PRIVATE varno_core)

# Two minutes a test is room for every case to fail slowly.
wine_tests(saver.sh 120 TESTS full_screen preview preview_resized input_method fault_guard unseen
           VALUES driver=$<TARGET_FILE:wine_driver> doubles=$<TARGET_FILE:wine_doubles>
                  preview_host=$<TARGET_FILE:preview_host>)
wine_tests(settings.sh 120 TESTS settings settings_not_saved VALUES driver=$<TARGET_FILE:wine_driver>)
wine_tests(scene.sh 120 TESTS broken_resources scene_pixels
           VALUES driver=$<TARGET_FILE:wine_driver> reference=$<TARGET_FILE:wine_reference>)
wine_tests(monitors.sh 120 TESTS monitors monitors_password resolution_change
           VALUES driver=$<TARGET_FILE:wine_driver> doubles=$<TARGET_FILE:wine_doubles>)

# The setup from the release step, on the 95 and NT families (a 32-bit prefix) and on 64-bit Windows.
add_test(NAME setup.release COMMAND python3 tools/make_release.py WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
add_test(NAME setup.imports COMMAND python3 tools/check_release.py --setup build/release/VARNO-${PROJECT_VERSION}-setup.exe
         WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
set_tests_properties(setup.imports PROPERTIES LABELS release FIXTURES_REQUIRED setup)
add_test(NAME wine.prefix32 COMMAND bash -c ". tools/wine-env.sh && wine_prefix_ensure $0 win32"
         ${WINE_PREFIX}32 WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
set_tests_properties(setup.release wine.prefix32 PROPERTIES TIMEOUT 600 LABELS wine FIXTURES_SETUP setup)
set_tests_properties(wine.prefix32 PROPERTIES COST 100)  # first: the longest chain starts here
wine_tests(setup.sh 300 TESTS setup95 setup_nt setup64 VALUES driver=$<TARGET_FILE:wine_driver>
           setup=${CMAKE_SOURCE_DIR}/build/release/VARNO-${PROJECT_VERSION}-setup.exe
           saver32=${CMAKE_SOURCE_DIR}/build/win32/VARNO.scr template32=${WINE_PREFIX}32
           shell32=${CMAKE_SOURCE_DIR}/build/win32/shell.exe)
set_tests_properties(wine.setup95 wine.setup_nt wine.setup64 PROPERTIES FIXTURES_REQUIRED "wine_prefix;setup")
