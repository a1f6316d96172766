# Native builds: the core under the unit tests with sanitizers, or under libFuzzer.
# Both take the pictures' sizes for their stand-in images from the asset catalog.
execute_process(COMMAND python3 -c "import asset_catalog as c; print(*('{%d, %d},' % p[2:] for p in c.PICTURES))"
                WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/tools OUTPUT_FILE ${CMAKE_BINARY_DIR}/catalog_pictures.inc
                COMMAND_ERROR_IS_FATAL ANY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/asset_catalog.py)
option(VARNO_FUZZ "Build the libFuzzer targets (clang) instead of the unit tests" OFF)
if(VARNO_FUZZ)
    add_subdirectory(tests/fuzz)
    return()
endif()

find_package(GTest REQUIRED)

set(SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all)
target_compile_options(varno_core PRIVATE ${SANITIZERS} -g)

add_subdirectory(tests/native)
