# cmake -DOBJDUMP=<objdump> -DOBJCOPY=<objcopy> -DBINARY=<file> -P SplitDebugInfo.cmake
#
# Moves the debug sections of a freshly linked binary into <file>.debug
# beside it and links that file from the binary with a GNU debug link (its
# name and checksum), so that what a user installs stays small and a
# debugger still finds the symbols. A binary built without debug
# information is left as it is, and no debug file lies beside it.
execute_process(COMMAND ${OBJDUMP} -h ${BINARY} OUTPUT_VARIABLE sections COMMAND_ERROR_IS_FATAL ANY)
set(debug_file ${BINARY}.debug)
if(NOT sections MATCHES "[ \t]\\.debug_info[ \t]")
    file(REMOVE ${debug_file})
    return()
endif()
execute_process(COMMAND ${OBJCOPY} --only-keep-debug ${BINARY} ${debug_file} COMMAND_ERROR_IS_FATAL ANY)
# The symbol table goes as well (it is in the debug file): Windows loads the
# DLL by its export table alone.
execute_process(COMMAND ${OBJCOPY} --strip-all --add-gnu-debuglink=${debug_file} ${BINARY}
    COMMAND_ERROR_IS_FATAL ANY)
