# Shared helpers for tests, fuzzers and benchmarks.

set(QV_WINE_RUN "${CMAKE_SOURCE_DIR}/cmake/wine-run")

# Reference decoders that tests and benchmarks compare against (native build only, test-only).
# They are required: scripts/setup-deps installs them, and a comparison that is compiled out
# would pass without comparing anything. (QV_HAVE_* stay defined for code that still asks.)
function(quorvel_reference_libraries)
    if(WIN32 OR TARGET quorvel_reference)
        return()
    endif()
    add_library(quorvel_reference INTERFACE)
    find_package(PNG REQUIRED)
    find_package(TIFF REQUIRED)
    find_package(GIF REQUIRED)
    find_library(QV_SPNG_LIBRARY spng REQUIRED)
    find_path(QV_SPNG_INCLUDE spng.h REQUIRED)
    target_link_libraries(quorvel_reference INTERFACE PNG::PNG TIFF::TIFF GIF::GIF ${QV_SPNG_LIBRARY})
    target_include_directories(quorvel_reference INTERFACE ${QV_SPNG_INCLUDE})
    target_compile_definitions(quorvel_reference INTERFACE QV_HAVE_LIBPNG=1 QV_HAVE_LIBTIFF=1 QV_HAVE_GIFLIB=1
                                                           QV_HAVE_LIBSPNG=1)
endfunction()

# The environment every test may rely on; tests/unit/test_environment_test.cpp checks that each
# variable arrives.
function(quorvel_test_environment out)
    set(${out} "QV_CORPUS_DIR=${QUORVEL_CORPUS_DIR}" "QV_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
               "QV_BINARY_DIR=${CMAKE_BINARY_DIR}" "QV_BUILD_DIR=${CMAKE_BINARY_DIR}" PARENT_SCOPE)
endfunction()

# One test executable per source file; NAME_test.cpp -> target NAME_test, one ctest entry per case.
# The environment is a list, which gtest_discover_tests' PROPERTIES would split into separate
# arguments (only the first variable arriving): a ctest file of our own, read after the
# discovered tests', sets it whole on every test of the program. Skips: ctest reports a case
# whose output shows "[  SKIPPED ]" as skipped; test_main.cpp prints that only for a skip this
# tree expects and fails any other.
function(quorvel_add_native_tests label dir)
    quorvel_test_environment(environment)
    file(GLOB sources CONFIGURE_DEPENDS "${dir}/*_test.cpp")
    foreach(src ${sources})
        get_filename_component(name ${src} NAME_WE)
        add_executable(${name} ${src} ${ARGN})
        target_link_libraries(${name} PRIVATE quorvel_core quorvel_test_support quorvel_test_main GTest::gtest)
        if(TARGET quorvel_reference)
            target_link_libraries(${name} PRIVATE quorvel_reference)
        endif()
        gtest_discover_tests(${name} TEST_PREFIX "${label}." DISCOVERY_TIMEOUT 60 PROPERTIES LABELS ${label})
        set(include "${CMAKE_CURRENT_BINARY_DIR}/${name}_properties.cmake")
        file(WRITE "${include}" "if(DEFINED ${name}_TESTS)\n"
                                "    set_tests_properties(\${${name}_TESTS} PROPERTIES ENVIRONMENT [==[${environment}]==])\n"
                                "endif()\n")
        set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${include}")
    endforeach()
endfunction()

# The limit of one end-to-end or Wine case (test_main.cpp ends the program when a case runs
# longer), and of a whole program: its cases times the limit, counted from the source.
set(QV_E2E_CASE_SECONDS 300 CACHE STRING "seconds one Windows test case may take before its program is ended")

# Windows test programs run under Wine: one ctest entry per executable (Wine's CRLF output does not
# suit test discovery, and one Wine start per program keeps the run short).
function(quorvel_add_wine_tests label dir)
    quorvel_test_environment(environment)
    file(GLOB sources CONFIGURE_DEPENDS "${dir}/*_test.cpp")
    foreach(src ${sources})
        get_filename_component(name ${src} NAME_WE)
        add_executable(${name} ${src} ${ARGN})
        target_link_libraries(${name} PRIVATE quorvel_winui quorvel_test_support quorvel_test_main gtest)
        set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/tests")
        file(STRINGS "${src}" cases REGEX "^(TEST|TEST_F|TEST_P)\\(")
        list(LENGTH cases count)
        math(EXPR timeout "(${count} + 1) * ${QV_E2E_CASE_SECONDS}")
        add_test(NAME ${label}.${name} COMMAND ${QV_WINE_RUN} $<TARGET_FILE:${name}> --gtest_color=no)
        set_tests_properties(${label}.${name} PROPERTIES LABELS ${label} TIMEOUT ${timeout}
            ENVIRONMENT "${environment};QV_BIN_DIR=${CMAKE_BINARY_DIR}/bin;QV_CASE_TIMEOUT_S=${QV_E2E_CASE_SECONDS}")
        if(TARGET Quorvel)
            add_dependencies(${name} Quorvel)
        endif()
    endforeach()
endfunction()
