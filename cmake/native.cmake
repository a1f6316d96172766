# Native builds: the core under the unit tests with sanitizers, or under libFuzzer.
option(VARNO_FUZZ "Build the libFuzzer targets (clang) instead of the unit tests" OFF)
if(VARNO_FUZZ)
    add_subdirectory(tests/fuzz)
    return()
endif()

find_package(GTest REQUIRED)

set(SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all)
target_compile_options(varno_core PRIVATE ${SANITIZERS} -g)

add_subdirectory(tests/native)
