# qm_long_path_aware(TARGET): embeds the longPathAware manifest in a Windows
# program. MSVC merges a .manifest source into the one it writes; MinGW
# takes it as a resource.
function(qm_long_path_aware target)
    if(NOT WIN32)
        return()
    endif()
    if(MSVC)
        target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/windows/longpath.manifest)
    else()
        target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/windows/longpath.rc)
    endif()
endfunction()
