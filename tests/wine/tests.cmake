# End-to-end tests under Wine, included by cmake/windows.cmake in both Windows builds.
#   x86_64 (ctest --preset win64): the suite, run by wine64; every test has its own
#     copy of one shared prefix, its own wineserver and its own Xvfb, so -j2 is safe.
#   i686 (ctest --preset win32): a smoke run of the release under 32-bit Wine in qemu.
# Every test is a bash script under tests/wine/ and carries the label "wine".

set(WINE_TEST_DIR ${CMAKE_SOURCE_DIR}/tests/wine)

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    set(WINE_PREFIX_TEMPLATE ${CMAKE_BINARY_DIR}/wineprefix)
    set(WINE_WORK_DIR ${CMAKE_BINARY_DIR}/wine-tests)

    # The driver may use any Win32 function: it is a test program, not the product.
    add_executable(wine_driver ${WINE_TEST_DIR}/driver.cpp)
    set_target_properties(wine_driver PROPERTIES OUTPUT_NAME driver)
    target_compile_options(wine_driver PRIVATE ${WARNINGS})
    target_link_options(wine_driver PRIVATE -static)
    target_link_libraries(wine_driver PRIVATE user32 gdi32)

    # The message-order test wraps the handlers and the platform seam (their mangled
    # names) at link time; see sequence_test.cpp.
    set(SEQUENCE_WRAPPED
        _Z19hostWindowProcedurePvjyx _Z20sceneWindowProcedurePvjyx
        _Z19hostDefaultHandlingPvjyx _Z16defaultProcedurePvjyx _Z11postMessagePvjyx
        _Z15postQuitMessagei _Z14yieldProcessorv _Z10hideCursorv _Z14cursorPositionv
        _Z14readProfileIntPKcS0_iS0_ _Z10loadBitmapPvi _Z10startTimerPvyj _Z9stopTimerPvy
        _Z13windowSurfacePv _Z20releaseWindowSurfacePvS_ _Z9fillBlackPv4Rect
        _Z15calendarSecondsv _Z12loadedModulePKc _Z11procAddressPvPKc
        _Z23callImeAssociateContextPvS_y _Z14runMessageLoopv)
    list(TRANSFORM SEQUENCE_WRAPPED PREPEND "-Wl,--wrap=")
    # The product's own resources, so that the scene loads and draws its real images.
    add_executable(wine_sequence_test
        ${WINE_TEST_DIR}/sequence_test.cpp ${CMAKE_SOURCE_DIR}/assets/varno.rc)
    set_target_properties(wine_sequence_test PROPERTIES OUTPUT_NAME sequence_test)
    target_compile_options(wine_sequence_test PRIVATE ${WARNINGS} ${PRODUCT_FLAGS})
    target_link_options(wine_sequence_test PRIVATE -static ${SEQUENCE_WRAPPED})
    target_link_libraries(wine_sequence_test PRIVATE
        -Wl,--start-group varno_shell varno_core -Wl,--end-group winmm)

    add_executable(wine_fault_guard_test ${WINE_TEST_DIR}/fault_guard_test.cpp)
    set_target_properties(wine_fault_guard_test PROPERTIES OUTPUT_NAME fault_guard_test)
    target_compile_options(wine_fault_guard_test PRIVATE ${WARNINGS} ${PRODUCT_FLAGS})
    target_link_options(wine_fault_guard_test PRIVATE -static)
    target_link_libraries(wine_fault_guard_test PRIVATE varno_shell)

    set(WINE_TEST_ARGUMENTS
        source=${CMAKE_SOURCE_DIR}
        saver=$<TARGET_FILE:varno>
        driver=$<TARGET_FILE:wine_driver>
        sequence_test=$<TARGET_FILE:wine_sequence_test>
        fault_guard_test=$<TARGET_FILE:wine_fault_guard_test>
        template=${WINE_PREFIX_TEMPLATE}
        work=${WINE_WORK_DIR})

    # Makes (or re-makes, when missing or stale) the prefix that every test copies.
    add_test(NAME wine.prefix
             COMMAND bash ${WINE_TEST_DIR}/prefix.sh ${WINE_TEST_ARGUMENTS})
    set_tests_properties(wine.prefix PROPERTIES
        FIXTURES_SETUP wine_prefix TIMEOUT 300 LABELS "wine")

    # name, script, timeout in seconds: room for every case to fail slowly and be reported
    set(WINE_TESTS
        exit_codes exit_codes.sh 600
        full_screen full_screen.sh 600
        preview preview.sh 300
        message_order message_order.sh 180
        fault_guard fault_guard.sh 180
        broken_resources broken_resources.sh 180)
    while(WINE_TESTS)
        list(POP_FRONT WINE_TESTS name script timeout)
        add_test(NAME wine.${name}
                 COMMAND bash ${WINE_TEST_DIR}/${script} ${WINE_TEST_ARGUMENTS})
        set_tests_properties(wine.${name} PROPERTIES
            FIXTURES_REQUIRED wine_prefix TIMEOUT ${timeout} LABELS "wine")
    endwhile()

    # The suites of the password check, the scene's drawing and the settings, on the
    # same fixture and arguments.
    include(${WINE_TEST_DIR}/password.cmake OPTIONAL)
    include(${WINE_TEST_DIR}/scene.cmake OPTIONAL)
    include(${WINE_TEST_DIR}/settings.cmake OPTIONAL)

elseif(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    # The release itself under 32-bit Wine, emulated by qemu-i386: about a minute a launch.
    add_test(NAME wine32.smoke
             COMMAND bash ${WINE_TEST_DIR}/smoke32.sh
                     source=${CMAKE_SOURCE_DIR}
                     saver=$<TARGET_FILE:varno>
                     template=${CMAKE_BINARY_DIR}/wineprefix
                     work=${CMAKE_BINARY_DIR}/wine-tests)
    set_tests_properties(wine32.smoke PROPERTIES TIMEOUT 600 LABELS "wine;slow")
endif()
