# Native build: the core under the unit tests, with sanitizers.
find_package(GTest REQUIRED)

set(SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all)
target_compile_options(varno_core PRIVATE ${SANITIZERS} -g)

add_subdirectory(tests/native)
