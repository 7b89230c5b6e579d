# The local gateway simulator as a CTest fixture named gateway_simulator:
# its set-up starts a primary and a backup instance in the background and
# trusts their test CA in the Wine prefix; its clean-up stops them. Tests
# that talk to it call require_gateway_simulator(<test>), which also hands
# them the folder of the state files in ZENTAVO_SIMULATOR_DIR.
if(NOT Python3_EXECUTABLE AND EXISTS /usr/bin/python3)
    # Debian's own interpreter (the python3 package), whatever else PATH offers.
    set(Python3_EXECUTABLE /usr/bin/python3)
endif()
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(GATEWAY_SIMULATOR_SOURCE_DIR ${CMAKE_SOURCE_DIR}/tools/gateway_simulator)
set(GATEWAY_SIMULATOR_DIR ${CMAKE_BINARY_DIR}/simulator)
set(GATEWAY_SIMULATOR_LAUNCHER ${Python3_EXECUTABLE} ${GATEWAY_SIMULATOR_SOURCE_DIR}/launcher.py)

add_subdirectory(${CMAKE_SOURCE_DIR}/tools/trust_test_ca ${CMAKE_BINARY_DIR}/tools/trust_test_ca)

add_test(NAME gateway_simulator_start
    COMMAND ${GATEWAY_SIMULATOR_LAUNCHER} start --dir ${GATEWAY_SIMULATOR_DIR}
            --accounts ${GATEWAY_SIMULATOR_SOURCE_DIR}/test_accounts.json)
set_tests_properties(gateway_simulator_start PROPERTIES
    FIXTURES_SETUP gateway_simulator TIMEOUT 120 ENVIRONMENT "PYTHONDONTWRITEBYTECODE=1")

# Wine reads the CA through its Z: drive, which maps the Unix root.
add_test(NAME gateway_simulator_trust_ca
    COMMAND trust_test_ca Z:${GATEWAY_SIMULATOR_DIR}/tls/ca.pem)
set_tests_properties(gateway_simulator_trust_ca PROPERTIES
    FIXTURES_SETUP gateway_simulator
    FIXTURES_REQUIRED wine
    DEPENDS gateway_simulator_start
    ENVIRONMENT "${WINE_TEST_ENVIRONMENT}"
    TIMEOUT 120)

add_test(NAME gateway_simulator_stop
    COMMAND ${GATEWAY_SIMULATOR_LAUNCHER} stop --dir ${GATEWAY_SIMULATOR_DIR})
set_tests_properties(gateway_simulator_stop PROPERTIES FIXTURES_CLEANUP gateway_simulator)

# The simulator's own unit tests (host Python, no fixture).
add_test(NAME gateway_simulator_python
    COMMAND ${Python3_EXECUTABLE} -m unittest discover -s tests -t .
    WORKING_DIRECTORY ${GATEWAY_SIMULATOR_SOURCE_DIR})
set_tests_properties(gateway_simulator_python PROPERTIES
    ENVIRONMENT "PYTHONDONTWRITEBYTECODE=1" TIMEOUT 300)

# require_gateway_simulator(<test>...): the tests run with both instances up,
# one test at a time: they reset and script the same shared instances.
function(require_gateway_simulator)
    foreach(test IN LISTS ARGN)
        set_property(TEST ${test} APPEND PROPERTY FIXTURES_REQUIRED gateway_simulator)
        set_property(TEST ${test} APPEND PROPERTY RESOURCE_LOCK gateway_simulator)
        set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT ZENTAVO_SIMULATOR_DIR=${GATEWAY_SIMULATOR_DIR})
    endforeach()
endfunction()
