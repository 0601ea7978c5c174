# Quillmark's CMake package: a version resource for a Windows program.
#
#   find_package(Quillmark REQUIRED)
#   quillmark_version_resource(TARGET app VERSION ${PROJECT_VERSION}
#       [PRODUCT_VERSION V] [COMPANY TEXT] [DESCRIPTION TEXT] [PRODUCT TEXT]
#       [COPYRIGHT TEXT] [STRINGS KEY=TEXT ...] [LANGUAGE HEX] [CODE_PAGE DEC]
#       [SCRIPT existing.rc] [BUILTIN_COMPILER])
#
# At build time quillmark-rc writes the target's script into the build
# folder: a new one, or with SCRIPT a copy of that script with the version
# and the texts set where they stand (its other resources kept; the source
# is never written). The compiled resource is linked into the target: by
# the project's RC compiler where there is one (MSVC's rc, MinGW's windres),
# else, or with BUILTIN_COMPILER, by `quillmark-rc compile --coff`, which
# compiles a version resource alone (byte for byte as llvm-rc does). A build for another system has
# no version resources: there the call does nothing, so that a portable
# project may make it everywhere.
include_guard(GLOBAL)

# Three levels up is the installed folder: quillmark-rc lies in its bin/
# (Linux, and the build folder), or at its top (the Windows zip).
find_program(QUILLMARK_RC_EXECUTABLE NAMES quillmark-rc
             HINTS "${CMAKE_CURRENT_LIST_DIR}/../../../bin" "${CMAKE_CURRENT_LIST_DIR}/../../.."
             NO_CMAKE_FIND_ROOT_PATH)
if(NOT QUILLMARK_RC_EXECUTABLE)
    set(Quillmark_FOUND FALSE)
    set(Quillmark_NOT_FOUND_MESSAGE "quillmark-rc was found neither beside the package nor on PATH")
    return()
endif()

# Plain text as a script's quoted string: a backslash is written \\ and a
# quote "", and the marker form's "\0" prefix makes it a quoted entry.
function(_quillmark_string_option out key text)
    string(REPLACE "\\" "\\\\" text "${text}")
    string(REPLACE "\"" "\"\"" text "${text}")
    set(${out} ${${out}} --string "${key}=\\0${text}" PARENT_SCOPE)
endfunction()

# The object machine of the target being built.
function(_quillmark_machine out)
    if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(ARM64|arm64|aarch64)$")
        set(${out} arm64 PARENT_SCOPE)
    elseif(CMAKE_SIZEOF_VOID_P EQUAL 4)
        set(${out} x86 PARENT_SCOPE)
    else()
        set(${out} x64 PARENT_SCOPE)
    endif()
endfunction()

function(quillmark_version_resource)
    cmake_parse_arguments(PARSE_ARGV 0 arg "BUILTIN_COMPILER"
        "TARGET;VERSION;PRODUCT_VERSION;COMPANY;DESCRIPTION;PRODUCT;COPYRIGHT;LANGUAGE;CODE_PAGE;SCRIPT"
        "STRINGS")
    if(arg_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "quillmark_version_resource: unknown arguments ${arg_UNPARSED_ARGUMENTS}")
    endif()
    if(NOT arg_TARGET OR NOT TARGET "${arg_TARGET}")
        message(FATAL_ERROR "quillmark_version_resource: TARGET must name a target, not '${arg_TARGET}'")
    endif()
    if(NOT arg_VERSION)
        message(FATAL_ERROR "quillmark_version_resource: VERSION is required")
    endif()
    if(NOT WIN32)
        return()
    endif()
    if(NOT arg_PRODUCT_VERSION)
        set(arg_PRODUCT_VERSION "${arg_VERSION}")
    endif()

    set(dir "${CMAKE_CURRENT_BINARY_DIR}/quillmark/${arg_TARGET}")
    set(script "${dir}/version.rc")
    set(edits --file-version "${arg_VERSION}" --product-version "${arg_PRODUCT_VERSION}")
    foreach(field COMPANY:CompanyName DESCRIPTION:FileDescription PRODUCT:ProductName
                  COPYRIGHT:LegalCopyright)
        string(REPLACE ":" ";" field "${field}")
        list(GET field 0 name)
        list(GET field 1 key)
        if(DEFINED arg_${name})
            _quillmark_string_option(edits ${key} "${arg_${name}}")
        endif()
    endforeach()
    foreach(pair IN LISTS arg_STRINGS)
        string(FIND "${pair}" "=" equals)
        if(equals LESS 1)
            message(FATAL_ERROR "quillmark_version_resource: STRINGS takes KEY=TEXT, not '${pair}'")
        endif()
        string(SUBSTRING "${pair}" 0 ${equals} key)
        math(EXPR start "${equals} + 1")
        string(SUBSTRING "${pair}" ${start} -1 text)
        _quillmark_string_option(edits "${key}" "${text}")
    endforeach()

    set(includes)
    if(arg_SCRIPT)
        get_filename_component(source "${arg_SCRIPT}" ABSOLUTE)
        get_filename_component(source_dir "${source}" DIRECTORY)
        set(includes "${source_dir}")
        # -o keeps the source as it is; a version living in a project
        # header is refused then, by name, rather than edited at build time.
        set(write "${QUILLMARK_RC_EXECUTABLE}" set "${source}" -o "${script}" ${edits})
        if(arg_LANGUAGE)
            list(APPEND write --language ${arg_LANGUAGE})
        endif()
        if(arg_CODE_PAGE)
            list(APPEND write --code-page ${arg_CODE_PAGE})
        endif()
        set(depends "${source}")
    else()
        _quillmark_string_option(edits FileVersion "${arg_VERSION}")
        _quillmark_string_option(edits ProductVersion "${arg_PRODUCT_VERSION}")
        _quillmark_string_option(edits InternalName "${arg_TARGET}")
        _quillmark_string_option(edits OriginalFilename "$<TARGET_FILE_NAME:${arg_TARGET}>")
        # A new script is in U.S. English and Unicode unless asked, whatever
        # the window's stored defaults.
        if(NOT arg_LANGUAGE)
            set(arg_LANGUAGE 409)
        endif()
        if(NOT arg_CODE_PAGE)
            set(arg_CODE_PAGE 1200)
        endif()
        set(write "${QUILLMARK_RC_EXECUTABLE}" new "${script}" ${edits}
                  --language ${arg_LANGUAGE} --code-page ${arg_CODE_PAGE})
        set(depends)
    endif()
    # A generator that doesn't rerun a command whose line changed (Make)
    # still does when this file, rewritten only on a change, is newer.
    set(arguments "${dir}/arguments.txt")
    string(REPLACE ";" "\n" listed "${write}")
    if(EXISTS "${arguments}")
        file(READ "${arguments}" before)
    endif()
    if(NOT "${before}" STREQUAL "${listed}")
        file(WRITE "${arguments}" "${listed}")
    endif()
    add_custom_command(OUTPUT "${script}" COMMAND ${write}
                       DEPENDS ${depends} "${arguments}" "${QUILLMARK_RC_EXECUTABLE}"
                       COMMENT "Writing the version resource of ${arg_TARGET}" VERBATIM)

    get_property(languages GLOBAL PROPERTY ENABLED_LANGUAGES)
    if("RC" IN_LIST languages AND CMAKE_RC_COMPILER AND NOT arg_BUILTIN_COMPILER)
        target_sources(${arg_TARGET} PRIVATE "${script}")
        set_source_files_properties("${script}" PROPERTIES GENERATED TRUE
                                    INCLUDE_DIRECTORIES "${includes}")
        # The script is UTF-8.
        if(CMAKE_RC_COMPILER MATCHES "windres")
            set_source_files_properties("${script}" PROPERTIES COMPILE_OPTIONS "--codepage=65001")
        elseif(MSVC)
            set_source_files_properties("${script}" PROPERTIES COMPILE_OPTIONS "/c65001")
        endif()
    else()
        _quillmark_machine(machine)
        set(object "${dir}/version.o")
        set(include_options)
        foreach(folder IN LISTS includes)
            list(APPEND include_options -I "${folder}")
        endforeach()
        add_custom_command(OUTPUT "${object}"
                           COMMAND "${QUILLMARK_RC_EXECUTABLE}" compile "${script}" --coff
                                   -c 65001 --machine ${machine} ${include_options} -o "${object}"
                           DEPENDS "${script}"
                           COMMENT "Compiling the version resource of ${arg_TARGET}" VERBATIM)
        target_sources(${arg_TARGET} PRIVATE "${object}")
        set_source_files_properties("${object}" PROPERTIES GENERATED TRUE EXTERNAL_OBJECT TRUE)
    endif()
endfunction()
