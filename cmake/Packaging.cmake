# `cpack` in the build folder makes a Debian package of everything installed
# above (on Windows a zip). Its Qt libraries are found by dpkg-shlibdeps; the
# SVG plugin, which draws the icon, is loaded at run time and so is named
# here.
if(WIN32)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME quillmark-${PROJECT_VERSION}-win64)
else()
    set(CPACK_GENERATOR DEB)
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
endif()
set(CPACK_PACKAGE_NAME quillmark)
set(CPACK_PACKAGE_VENDOR Harrowgate)
set(CPACK_PACKAGE_CONTACT "Harrowgate <quillmark@harrowgate.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Form editor for VERSIONINFO resource scripts")
set(CPACK_PACKAGE_DESCRIPTION
    "Quillmark edits the version information of a Windows program in a form, saves it as a VERSIONINFO resource script, reads such scripts back and runs a resource compiler on them. quillmark-rc does the same from the command line.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(NOT QM_CORE_ONLY)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
endif()
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "llvm, mingw-w64-common, fonts-liberation2")
include(CPack)
