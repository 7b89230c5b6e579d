# Test executables are Windows programs: CTest runs them under Wine through
# the cross-compiling emulator, in a prefix that lives in the build folder.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/cmake/wine-run.sh)
set(WINE_TEST_PREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "Wine prefix of the tests")

set(WINE_TEST_ENVIRONMENT
    WINEPREFIX=${WINE_TEST_PREFIX}
    WINEDEBUG=-all
    "WINEDLLOVERRIDES=mscoree,mshtml=\;winedbg.exe=d")

if(BUILD_TESTING)
    # wine_up starts a persistent wineserver and warms it once; without it
    # every test process pays several seconds of Wine start-up.
    add_test(NAME wine_up
        COMMAND sh -c "wineserver -p </dev/null >/dev/null 2>&1; wine cmd /c exit </dev/null >/dev/null 2>&1")
    set_tests_properties(wine_up PROPERTIES
        FIXTURES_SETUP wine ENVIRONMENT "${WINE_TEST_ENVIRONMENT}")
    add_test(NAME wine_down COMMAND sh -c "wineserver -k </dev/null >/dev/null 2>&1; exit 0")
    set_tests_properties(wine_down PROPERTIES
        FIXTURES_CLEANUP wine ENVIRONMENT "${WINE_TEST_ENVIRONMENT}")
endif()

# add_wine_test(<name> <target> [FIXTURES f...] [ENVIRONMENT e...] [ARGS a...])
# One CTest entry per test executable, run under Wine.
function(add_wine_test name target)
    cmake_parse_arguments(WT "" "" "FIXTURES;ENVIRONMENT;ARGS" ${ARGN})
    add_test(NAME ${name} COMMAND ${target} ${WT_ARGS})
    set_tests_properties(${name} PROPERTIES
        FIXTURES_REQUIRED "wine;${WT_FIXTURES}"
        ENVIRONMENT "${WINE_TEST_ENVIRONMENT};${WT_ENVIRONMENT}"
        TIMEOUT 600)
endfunction()

# add_wine_prefix_fixture(<name>): a Wine prefix of its own in the build
# folder, as the fixture wine_<name>; its path is WINE_PREFIX_<name>. Tests
# use it with add_wine_test(... FIXTURES wine_<name> ENVIRONMENT
# WINEPREFIX=${WINE_PREFIX_<name>}).
function(add_wine_prefix_fixture name)
    set(prefix ${CMAKE_BINARY_DIR}/wineprefix-${name})
    set(WINE_PREFIX_${name} ${prefix} PARENT_SCOPE)
    add_test(NAME wine_${name}_up COMMAND ${CMAKE_SOURCE_DIR}/cmake/wine-prefix-up.sh ${prefix})
    set_tests_properties(wine_${name}_up PROPERTIES FIXTURES_SETUP wine_${name} TIMEOUT 300)
    add_test(NAME wine_${name}_down COMMAND sh -c "WINEPREFIX=${prefix} wineserver -k </dev/null >/dev/null 2>&1; exit 0")
    set_tests_properties(wine_${name}_down PROPERTIES FIXTURES_CLEANUP wine_${name})
endfunction()
