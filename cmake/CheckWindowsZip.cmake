# cmake -DCPACK=... -DCONFIG=.../CPackConfig.cmake -DOUT=dir -DNAME=file
#       -P CheckWindowsZip.cmake
# Makes the Windows zip with CPack and fails unless it holds what a user
# unpacks and runs: the programs with their template and batch file beside
# them, and the licence.
file(REMOVE_RECURSE ${OUT})
execute_process(COMMAND ${CPACK} -G ZIP --config ${CONFIG} -B ${OUT}
                RESULT_VARIABLE failed OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(failed)
    message(FATAL_ERROR "cpack failed:\n${log}")
endif()
set(zip ${OUT}/${NAME}.zip)
if(NOT EXISTS ${zip})
    message(FATAL_ERROR "cpack made no ${zip}:\n${log}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${zip} OUTPUT_VARIABLE listed
                RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "${zip} can't be listed")
endif()
foreach(file quillmark.exe quillmark-rc.exe Initial.rc QuillmarkEX.bat LICENSE.txt README.md
             lib/cmake/Quillmark/QuillmarkConfig.cmake)
    string(FIND "${listed}" "${NAME}/${file}\n" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "${zip} lacks ${NAME}/${file}; it holds:\n${listed}")
    endif()
endforeach()
message(STATUS "${zip} holds:\n${listed}")
