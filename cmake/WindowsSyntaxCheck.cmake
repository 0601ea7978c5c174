# The target windows_syntax_check: every C++ source of the given Qt targets
# parsed by the MinGW-w64 compiler as a Windows build would see it (_WIN32
# and Q_OS_WIN on, and each *_posix.cpp replaced by its *_win32.cpp), against
# the Qt headers of this machine. Nothing is linked: there is no Qt for
# MinGW here. Qt's headers differ between platforms only in their
# configuration (qconfig.h), which here is Linux's.
#
# Only one shim is needed: -Wno-attributes, because MinGW warns that some
# friend functions in Qt's headers are declared again without dllimport, a
# warning of Qt's own headers that every MinGW build of Qt code sees.
find_program(QM_MINGW_CXX NAMES x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-g++)

# A source is checked again when it or any header it includes changes.
function(qm_windows_syntax_check)
    if(NOT QM_MINGW_CXX)
        add_custom_target(windows_syntax_check
            COMMAND ${CMAKE_COMMAND} -E echo "x86_64-w64-mingw32-g++-posix was not found \
(Debian package g++-mingw-w64-x86-64-posix)"
            COMMAND ${CMAKE_COMMAND} -E false)
        return()
    endif()
    set(stamps)
    foreach(target IN LISTS ARGN)
        get_target_property(sources ${target} SOURCES)
        get_target_property(sourceDir ${target} SOURCE_DIR)
        set(includes "$<REMOVE_DUPLICATES:$<TARGET_PROPERTY:${target},INCLUDE_DIRECTORIES>>")
        set(ownIncludes "$<FILTER:${includes},INCLUDE,^${PROJECT_SOURCE_DIR}(/|$)>")
        # Qt's, less the Linux system folder (glibc's headers must not hide
        # MinGW's) and Qt's Linux mkspecs folder.
        set(qtIncludes "$<FILTER:${includes},EXCLUDE,^${PROJECT_SOURCE_DIR}(/|$)>")
        set(otherIncludes "$<FILTER:${qtIncludes},EXCLUDE,^/usr/include/?$|/mkspecs/>")
        set(defines "$<TARGET_PROPERTY:${target},COMPILE_DEFINITIONS>")
        foreach(source IN LISTS sources)
            if(NOT source MATCHES "\\.cpp$")
                continue()
            endif()
            # A per-system source is checked in its Windows form.
            string(REGEX REPLACE "_posix\\.cpp$" "_win32.cpp" source ${source})
            get_filename_component(path ${source} ABSOLUTE BASE_DIR ${sourceDir})
            file(RELATIVE_PATH shown ${PROJECT_SOURCE_DIR} ${path})
            set(stamp ${CMAKE_BINARY_DIR}/windows-check/${shown}.ok)
            add_custom_command(
                OUTPUT ${stamp}
                COMMAND ${QM_MINGW_CXX} -std=c++17 -fsyntax-only -Wall -Wextra -Werror
                        -Wno-attributes
                        "$<$<BOOL:${defines}>:-D$<JOIN:${defines},;-D>>"
                        "$<$<BOOL:${ownIncludes}>:-I$<JOIN:${ownIncludes},;-I>>"
                        "$<$<BOOL:${otherIncludes}>:-isystem;$<JOIN:${otherIncludes},;-isystem;>>"
                        -MD -MF ${stamp}.d -MT ${stamp} ${path}
                COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
                DEPENDS ${path}
                DEPFILE ${stamp}.d
                COMMAND_EXPAND_LISTS
                COMMENT "Windows syntax check of ${shown}"
                VERBATIM)
            list(APPEND stamps ${stamp})
        endforeach()
    endforeach()
    add_custom_target(windows_syntax_check DEPENDS ${stamps})
endfunction()
