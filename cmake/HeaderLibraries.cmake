# CLI11 and nlohmann-json: header-only Debian packages (libcli11-dev,
# nlohmann-json3-dev). A cross build must not see the rest of /usr/include,
# which holds glibc's headers, so their folders are linked into a folder of
# the build's own and only that one is searched.
find_path(QM_CLI11_INCLUDE_DIR CLI/CLI.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
find_path(QM_NLOHMANN_JSON_INCLUDE_DIR nlohmann/json.hpp PATHS /usr/include
          NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(QM_HEADER_LIBRARIES_DIR ${CMAKE_BINARY_DIR}/header-libraries)
file(MAKE_DIRECTORY ${QM_HEADER_LIBRARIES_DIR})
file(CREATE_LINK ${QM_CLI11_INCLUDE_DIR}/CLI ${QM_HEADER_LIBRARIES_DIR}/CLI SYMBOLIC)
file(CREATE_LINK ${QM_NLOHMANN_JSON_INCLUDE_DIR}/nlohmann ${QM_HEADER_LIBRARIES_DIR}/nlohmann
     SYMBOLIC)
add_library(qm_header_libraries INTERFACE)
target_include_directories(qm_header_libraries SYSTEM INTERFACE ${QM_HEADER_LIBRARIES_DIR})
