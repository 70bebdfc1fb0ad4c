# Read by CPack once per generator: the file name of each package.
if(CPACK_GENERATOR STREQUAL "ZIP")
    set(CPACK_PACKAGE_FILE_NAME "Quillgate-${CPACK_PACKAGE_VERSION}-win32")
    # One folder in the zip, so the three programs are unpacked side by side.
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
elseif(CPACK_GENERATOR STREQUAL "NSIS")
    set(CPACK_PACKAGE_FILE_NAME "Quillgate-${CPACK_PACKAGE_VERSION}-setup")
endif()
