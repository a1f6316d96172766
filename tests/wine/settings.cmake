# The settings file, the sound cue and the settings dialog under Wine: the full-screen
# saver reading the file, and the dialog driven as a user would (tests/wine/settings/).
# Included by tests.cmake; the x86_64 suite only, like the rest of it.
if(NOT CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    return()
endif()

set(SETTINGS_TEST_DIR ${CMAKE_CURRENT_LIST_DIR}/settings)

# Reads the settings dialog of another process: owner, place, check boxes, focus.
add_executable(wine_settings_probe ${SETTINGS_TEST_DIR}/dialog_probe.cpp)
set_target_properties(wine_settings_probe PROPERTIES OUTPUT_NAME settings_probe)
target_compile_options(wine_settings_probe PRIVATE ${WARNINGS})
target_link_options(wine_settings_probe PRIVATE -static)
target_link_libraries(wine_settings_probe PRIVATE user32)

# name, script, timeout in seconds
set(SETTINGS_TESTS
    settings_file settings_file.sh 240
    settings_dialog settings_dialog.sh 240)
while(SETTINGS_TESTS)
    list(POP_FRONT SETTINGS_TESTS name script timeout)
    add_test(NAME wine.${name}
             COMMAND bash ${SETTINGS_TEST_DIR}/${script} ${WINE_TEST_ARGUMENTS}
                     probe=$<TARGET_FILE:wine_settings_probe>)
    set_tests_properties(wine.${name} PROPERTIES
        FIXTURES_REQUIRED wine_prefix TIMEOUT ${timeout} LABELS "wine")
endwhile()
