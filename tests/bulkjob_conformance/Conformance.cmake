# Conformance of the bulk-job client with the npm "soap" package, which serves
# the service from our WSDL (run_conformance.py tells the steps). The package
# is installed into the build folder once, by the fixture npm_soap.
set(NPM_SOAP_DIR ${CMAKE_BINARY_DIR}/npm)
add_test(NAME npm_soap_install
    COMMAND sh -c "[ -f '${NPM_SOAP_DIR}/node_modules/soap/package.json' ] || npm install --prefix '${NPM_SOAP_DIR}' --no-audit --no-fund --loglevel=error soap@1")
set_tests_properties(npm_soap_install PROPERTIES FIXTURES_SETUP npm_soap TIMEOUT 600)

file(GLOB BULKJOB_CONFORMANCE_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
add_executable(test_bulkjob_conformance ${BULKJOB_CONFORMANCE_SOURCES})
target_link_libraries(test_bulkjob_conformance PRIVATE test_support bulkjob)

add_test(NAME bulkjob_conformance
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/run_conformance.py
            --soap-module ${NPM_SOAP_DIR}/node_modules
            --wsdl ${PROJECT_SOURCE_DIR}/tools/gateway_simulator/bulkjob.wsdl
            --tls ${GATEWAY_SIMULATOR_DIR}/tls
            --client $<TARGET_FILE:test_bulkjob_conformance>
            --wine-run ${PROJECT_SOURCE_DIR}/cmake/wine-run.sh
            --work ${CMAKE_CURRENT_BINARY_DIR}/bulkjob_conformance)
set_tests_properties(bulkjob_conformance PROPERTIES
    FIXTURES_REQUIRED "wine;npm_soap;gateway_simulator"
    ENVIRONMENT "${WINE_TEST_ENVIRONMENT};PYTHONDONTWRITEBYTECODE=1"
    TIMEOUT 600)
