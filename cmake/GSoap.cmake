# The gSOAP 2.8 runtime (stdsoap2.cpp, stdsoap2.h), fetched from Debian's
# gsoap source package by scripts/fetch-gsoap into the build folder and built
# here as the static library `gsoap`. It is third-party code: none of our
# warning policy applies to it, and its header is a system include for us.
#
# The runtime calls the fault and header functions that soapcpp2 would
# generate; ours live in bulkjob/service/ (the library bulkjob_service), which
# links back to this one.
set(GSOAP_SOURCE_DIR ${CMAKE_BINARY_DIR}/gsoap CACHE PATH "Folder holding stdsoap2.cpp and stdsoap2.h")

if(NOT EXISTS ${GSOAP_SOURCE_DIR}/stdsoap2.cpp OR NOT EXISTS ${GSOAP_SOURCE_DIR}/stdsoap2.h)
    message(STATUS "Fetching the gSOAP runtime into ${GSOAP_SOURCE_DIR}")
    execute_process(COMMAND ${CMAKE_SOURCE_DIR}/scripts/fetch-gsoap ${GSOAP_SOURCE_DIR}
        RESULT_VARIABLE fetch_result)
    if(NOT fetch_result EQUAL 0)
        message(FATAL_ERROR "scripts/fetch-gsoap failed; the gSOAP runtime is needed")
    endif()
endif()

file(STRINGS ${GSOAP_SOURCE_DIR}/stdsoap2.h gsoap_version_line REGEX "^#define GSOAP_VERSION ")
if(NOT gsoap_version_line MATCHES "GSOAP_VERSION 208124$")
    message(WARNING "Expected gSOAP 2.8.124, found: ${gsoap_version_line}")
endif()

add_library(gsoap STATIC ${GSOAP_SOURCE_DIR}/stdsoap2.cpp)
target_include_directories(gsoap SYSTEM PUBLIC ${GSOAP_SOURCE_DIR})
# Everything that includes stdsoap2.h must see the same options: they change
# the layout of struct soap.
# WITH_NONAMESPACES: the runtime expects no global `namespaces` table; each
#   context gets its table from its owner.
target_compile_definitions(gsoap PUBLIC WITH_NONAMESPACES)
target_compile_options(gsoap PRIVATE -w)
target_link_libraries(gsoap PUBLIC ws2_32)
