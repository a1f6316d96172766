# What the running saver costs a user under Wine, against an empty full-screen program
# with the same clock and against that program doing the saver's per-tick copies:
# bench/user_cost/user_cost.sh prints the figures. Here: its two helper programs and a
# smoke run that proves the script still runs (it judges no figure). Included from
# cmake/windows.cmake; x86_64 only (it needs wine64). It makes its own Wine prefix when
# the build has none it can copy.
if(NOT CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    return()
endif()

set(USER_COST_DIR ${CMAKE_CURRENT_LIST_DIR}/user_cost)

# The floor and the target: a topmost full-screen popup with a 5 ms timer, one paint,
# and on each tick nothing or the saver's platform work.
add_executable(user_cost_baseline WIN32 ${USER_COST_DIR}/baseline.cpp)
target_compile_options(user_cost_baseline PRIVATE -O2 -Wall -Wextra -Werror)
target_link_options(user_cost_baseline PRIVATE -static -s)
target_link_libraries(user_cost_baseline PRIVATE user32 gdi32)

# Starts a program and watches the screen for its first frame.
add_executable(user_cost_first_frame ${USER_COST_DIR}/first_frame.cpp)
target_compile_options(user_cost_first_frame PRIVATE -O2 -Wall -Wextra -Werror)
target_link_options(user_cost_first_frame PRIVATE -static -s)
target_link_libraries(user_cost_first_frame PRIVATE user32 gdi32)

add_custom_target(user_cost_programs DEPENDS varno user_cost_baseline user_cost_first_frame)

# A smoke run with the programs of this build (every step once, a few seconds in all); the
# win32 file's size is read if built.
add_test(NAME bench.user_cost
         COMMAND bash ${USER_COST_DIR}/user_cost.sh --smoke --no-build
                 saver=$<TARGET_FILE:varno>
                 baseline=$<TARGET_FILE:user_cost_baseline>
                 first_frame=$<TARGET_FILE:user_cost_first_frame>
                 template=${WINE_PREFIX}
                 work=${CMAKE_BINARY_DIR}/bench)
set_tests_properties(bench.user_cost PROPERTIES LABELS "bench" TIMEOUT 400)
