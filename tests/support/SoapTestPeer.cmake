# Fixture soap_peer: the local HTTP(S) peer of tests/support/soap_test_peer.py
# runs for the tests that require it, and its test CA is trusted in the Wine
# prefix. A test requires "soap_peer_server;soap_peer" and finds the peer's
# ports in the file named by SOAP_TEST_PEER_STATE.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(SOAP_TEST_PEER_DIR ${CMAKE_CURRENT_BINARY_DIR}/soap_peer)
set(SOAP_TEST_PEER_SCRIPT ${CMAKE_CURRENT_SOURCE_DIR}/support/soap_test_peer.py)

add_test(NAME soap_peer_up COMMAND ${Python3_EXECUTABLE} ${SOAP_TEST_PEER_SCRIPT} start ${SOAP_TEST_PEER_DIR})
set_tests_properties(soap_peer_up PROPERTIES FIXTURES_SETUP soap_peer_server)
add_test(NAME soap_peer_down COMMAND ${Python3_EXECUTABLE} ${SOAP_TEST_PEER_SCRIPT} stop ${SOAP_TEST_PEER_DIR})
set_tests_properties(soap_peer_down PROPERTIES FIXTURES_CLEANUP soap_peer_server)

# trust_test_ca comes from tools/ (the gateway simulator's fixture).
add_wine_test(soap_peer_trust trust_test_ca FIXTURES soap_peer_server ARGS Z:${SOAP_TEST_PEER_DIR}/trusted-ca.pem)
set_tests_properties(soap_peer_trust PROPERTIES FIXTURES_SETUP soap_peer)

# use_soap_test_peer(<test>): runs <test> with the peer.
function(use_soap_test_peer test)
    set_property(TEST ${test} APPEND PROPERTY FIXTURES_REQUIRED soap_peer_server soap_peer)
    set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT SOAP_TEST_PEER_STATE=${SOAP_TEST_PEER_DIR}/peer.state)
endfunction()
