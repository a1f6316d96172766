# The password check and change on the Windows 95 family, end to end under wine64:
# stand-ins for the system's verifier (PASSWORD.CPL) and password-change library
# (MPR.DLL), a probe program, an in-process test of the fault guard's flag, and the
# scripts under tests/wine/password/. Included by tests.cmake after the shared
# definitions (WINE_TEST_ARGUMENTS, the wine_prefix fixture).

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    set(PASSWORD_TEST_DIR ${CMAKE_CURRENT_LIST_DIR}/password)

    # The test doubles: DLLs for LoadLibraryA only (no import library), with unadorned
    # exports (x86_64 has no stdcall decoration) and nothing to load beside them. The
    # scripts copy them under the names the saver looks for.
    function(password_double target source)
        add_library(${target} MODULE ${PASSWORD_TEST_DIR}/${source})
        set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${target}
                              SUFFIX ".dll")
        target_compile_options(${target} PRIVATE ${WARNINGS})
        target_link_options(${target} PRIVATE -static -s)
    endfunction()
    password_double(password_verifier verifier_double.cpp)
    password_double(password_verifier_without_entry verifier_double.cpp)
    target_compile_definitions(password_verifier_without_entry PRIVATE VERIFIER_WITHOUT_ENTRY)
    password_double(password_change change_double.cpp)

    add_executable(password_probe ${PASSWORD_TEST_DIR}/probe.cpp)
    target_compile_options(password_probe PRIVATE ${WARNINGS})
    target_link_options(password_probe PRIVATE -static)

    # hostMain with runSaverWindow and yieldProcessor wrapped (their mangled names), so
    # that a run mode faults where the test chooses; see fault_flag_test.cpp.
    add_executable(password_fault_test ${PASSWORD_TEST_DIR}/fault_flag_test.cpp
                                       ${CMAKE_SOURCE_DIR}/assets/varno.rc)
    target_compile_options(password_fault_test PRIVATE ${WARNINGS} ${PRODUCT_FLAGS})
    target_link_options(password_fault_test PRIVATE -static
        -Wl,--wrap=_Z14runSaverWindowPv -Wl,--wrap=_Z14yieldProcessorv)
    target_link_libraries(password_fault_test PRIVATE
        -Wl,--start-group varno_shell varno_core -Wl,--end-group winmm)

    set(PASSWORD_TEST_ARGUMENTS ${WINE_TEST_ARGUMENTS}
        verifier=$<TARGET_FILE:password_verifier>
        verifier_without_entry=$<TARGET_FILE:password_verifier_without_entry>
        change=$<TARGET_FILE:password_change>
        probe=$<TARGET_FILE:password_probe>
        fault_test=$<TARGET_FILE:password_fault_test>)

    # name, script, timeout in seconds
    set(PASSWORD_TESTS
        refused refused.sh 180
        accepted accepted.sh 120
        without_check without_check.sh 120
        change change.sh 120
        fault_flag fault_flag.sh 120)
    while(PASSWORD_TESTS)
        list(POP_FRONT PASSWORD_TESTS name script timeout)
        add_test(NAME wine.password.${name}
                 COMMAND bash ${PASSWORD_TEST_DIR}/${script} ${PASSWORD_TEST_ARGUMENTS})
        set_tests_properties(wine.password.${name} PROPERTIES
            FIXTURES_REQUIRED wine_prefix TIMEOUT ${timeout} LABELS "wine")
    endwhile()
endif()
