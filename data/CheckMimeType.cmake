# Builds a MIME database from Quillmark's entry alone and checks that it
# holds the resource-script type with its glob. Run by ctest as a script.
# Searched like an installed data folder, so the tool has nothing to note.
get_filename_component(data_dir ${MIME_DIR} DIRECTORY)
set(ENV{XDG_DATA_DIRS} ${data_dir})
file(REMOVE_RECURSE ${MIME_DIR})
file(MAKE_DIRECTORY ${MIME_DIR}/packages)
configure_file(${MIME_XML} ${MIME_DIR}/packages/quillmark.xml COPYONLY)
execute_process(COMMAND ${UPDATE} ${MIME_DIR} RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0 OR NOT errors STREQUAL "")
    message(FATAL_ERROR "update-mime-database failed (${result}): ${errors}")
endif()
file(READ ${MIME_DIR}/globs2 globs)
if(NOT globs MATCHES "text/x-windows-resource-script:\\*\\.rc")
    message(FATAL_ERROR "The *.rc glob is missing from the database:\n${globs}")
endif()
