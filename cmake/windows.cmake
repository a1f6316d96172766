# The screen saver itself, for i686 (the release) and x86_64 (for wine64).
# _WIN32_WINNT/WINVER 0x0400: anything newer than Windows 95 and NT 4 fails to compile.
set(WINDOWS_DEFINITIONS _WIN32_WINNT=0x0400 WINVER=0x0400 STRICT)
target_compile_definitions(varno_core PUBLIC ${WINDOWS_DEFINITIONS})

add_library(varno_platform STATIC platform/platform_win32.cpp platform/fault_guard_win32.cpp)
target_link_libraries(varno_platform PUBLIC varno_core)
target_compile_options(varno_platform PRIVATE ${WARNINGS} ${PRODUCT_FLAGS})

# The saver links no C runtime: its own start-up is the entry (only here, not in
# varno_platform, which the test programs link with the C runtime).
add_executable(varno WIN32 platform/main_win32.cpp platform/startup_win32.cpp assets/varno.rc)
set_target_properties(varno PROPERTIES OUTPUT_NAME VARNO SUFFIX ".scr")
target_compile_options(varno PRIVATE ${WARNINGS} ${PRODUCT_FLAGS})
# The platform layer and the core reference each other: link them as one group. Then the five
# system DLLs and, statically, libgcc for what the compiler calls by itself (the i686
# build's 64-bit division, __udivdi3; the x86_64 build takes nothing from it today).
target_link_libraries(varno PRIVATE -Wl,--start-group varno_platform varno_core -Wl,--end-group
                      kernel32 user32 gdi32 advapi32 winmm gcc)
# One file, no runtime DLLs; a reproducible image. No auto-import of data, so that
# nothing needs the C runtime's pseudo-relocation.
target_link_options(varno PRIVATE -nostdlib -static -s -Wl,--no-insert-timestamp
                    -Wl,--disable-auto-import)
# The entry is the start-up's varnoStartup, spelt _varnoStartup on i686. A missing
# entry would only be a warning (and the entry the start of .text): require it.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    set(VARNO_ENTRY _varnoStartup)
    target_link_options(varno PRIVATE
        -Wl,--subsystem,windows:4.0,--major-os-version,4,--minor-os-version,0)
else()
    set(VARNO_ENTRY varnoStartup)
endif()
target_link_options(varno PRIVATE -Wl,-e,${VARNO_ENTRY},--require-defined,${VARNO_ENTRY})
# windres finds the images and the sound beside the script, and the version in the build
# folder; rebuild when they change.
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/version.h CONTENT
     "#define VARNO_VERSION_NUMBERS ${PROJECT_VERSION_MAJOR}, ${PROJECT_VERSION_MINOR}, 0, 0\n\
#define VARNO_VERSION_TEXT \"${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0\\0\"\n")
set_property(SOURCE assets/varno.rc APPEND PROPERTY INCLUDE_DIRECTORIES ${CMAKE_SOURCE_DIR}/assets
             ${CMAKE_BINARY_DIR})
file(GLOB ASSET_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/assets/*.bmp
     ${CMAKE_SOURCE_DIR}/assets/*.wav ${CMAKE_SOURCE_DIR}/assets/*.ico)
set_property(SOURCE assets/varno.rc APPEND PROPERTY OBJECT_DEPENDS ${ASSET_FILES})

# tools/run.sh's preview: the saver's code in a window of its own (tools/preview_host.cpp).
# Not shipped; the C runtime is welcome here.
if(NOT CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    add_executable(preview_host tools/preview_host.cpp assets/varno.rc)
    target_compile_options(preview_host PRIVATE ${WARNINGS})
    target_link_options(preview_host PRIVATE -static)
    target_link_libraries(preview_host PRIVATE -Wl,--start-group varno_platform varno_core -Wl,--end-group winmm)
endif()

include(${CMAKE_SOURCE_DIR}/tests/wine/tests.cmake OPTIONAL)

find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME resources
         COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/check_release.py
                 $<TARGET_FILE:varno>)
set_tests_properties(resources PROPERTIES LABELS release)
# Both builds are shipped and link no C runtime: the same allow-list holds for each.
add_test(NAME release_imports
         COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/check_release.py --imports
                 $<TARGET_FILE:varno>)
set_tests_properties(release_imports PROPERTIES LABELS release)
include(${CMAKE_SOURCE_DIR}/bench/user_cost.cmake)

# The setup's own NSIS plug-in (installer/), for the 32-bit ANSI setup only: like the
# saver, no C runtime, so that it loads on a clean Windows 95.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    add_library(setup_plugin MODULE installer/setup_plugin_win32.cpp installer/system_ini.cpp)
    set_target_properties(setup_plugin PROPERTIES PREFIX "" OUTPUT_NAME varno
                          LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/setup-plugins)
    target_include_directories(setup_plugin PRIVATE ${CMAKE_SOURCE_DIR})
    target_compile_definitions(setup_plugin PRIVATE ${WINDOWS_DEFINITIONS})
    target_compile_options(setup_plugin PRIVATE ${WARNINGS} ${PRODUCT_FLAGS}
                           -fno-tree-loop-distribute-patterns)
    target_link_libraries(setup_plugin PRIVATE kernel32 user32 gcc)
    target_link_options(setup_plugin PRIVATE -nostdlib -static -s -Wl,--no-insert-timestamp
                        -Wl,-e,_varnoPluginEntry@12,--require-defined,_varnoPluginEntry@12
                        -Wl,--subsystem,windows:4.0,--major-os-version,4,--minor-os-version,0)
endif()
