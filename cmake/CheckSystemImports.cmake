# cmake -DOBJDUMP=... -DPROGRAM=... -P CheckSystemImports.cmake
# Fails unless every DLL the Windows program imports ships with Windows, so
# the one .exe runs on a bare CI runner.
set(allowed ADVAPI32.DLL COMCTL32.DLL COMDLG32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL OLE32.DLL
            SHELL32.DLL USER32.DLL)
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE headers RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "objdump could not read ${PROGRAM}")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${headers}")
if(NOT imports)
    message(FATAL_ERROR "${PROGRAM} imports nothing: not a Windows program?")
endif()
foreach(import IN LISTS imports)
    string(REPLACE "DLL Name: " "" dll "${import}")
    string(STRIP "${dll}" dll)
    string(TOUPPER "${dll}" upper) # DLL names are matched without case, as Windows does
    list(FIND allowed ${upper} found)
    if(found EQUAL -1)
        message(FATAL_ERROR "${PROGRAM} imports ${dll}, which Windows does not ship")
    endif()
    message(STATUS "imports ${dll}")
endforeach()
