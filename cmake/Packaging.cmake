# What ships and how: the install layout, and the two packages that
# `cmake --build <build> --target package` makes with CPack: Quillgate-1.0-win32.zip and the NSIS
# installer Quillgate-1.0-setup.exe.

# The user's README, with DOS line ends so that Notepad on Windows 95/98 shows its lines.
set(QG_README_TXT ${CMAKE_BINARY_DIR}/packaging/README.txt)
configure_file(${CMAKE_SOURCE_DIR}/packaging/README.txt ${QG_README_TXT} @ONLY
               NEWLINE_STYLE CRLF)

install(TARGETS quillgate RUNTIME DESTINATION .)
install(FILES ${QG_BIN_DIR}/qg.exe ${QG_BIN_DIR}/rb.com ${QG_README_TXT} DESTINATION .)

set(CPACK_PACKAGE_NAME Quillgate)
set(CPACK_PACKAGE_VENDOR Corvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR})
set(CPACK_PACKAGE_INSTALL_DIRECTORY Quillgate)
set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_SOURCE_GENERATOR "")
# Symbols only make the download bigger; bin/quillgate.exe keeps them for debugging.
set(CPACK_STRIP_FILES ON)
# Our own installer script (packaging/NSIS.template.in) takes the place of CPack's.
set(CPACK_MODULE_PATH ${CMAKE_SOURCE_DIR}/packaging)
# makensis reads its stubs from the folder that NSISDIR names: Debian's NSIS files, with the
# stub of Windows 95/98 installers replaced by ours, built for a 386 (packaging/nsis). The
# uninstaller that the installer writes is kept as makensis makes it, for the checks of what
# ships (tests/imports).
set(QG_NSIS_DATA /usr/share/nsis CACHE PATH "The NSIS files that makensis comes with")
set(CPACK_NSIS_EXECUTABLE makensis)
set(CPACK_QG_UNINSTALLER "")
if(CMAKE_HOST_UNIX AND EXISTS ${QG_NSIS_DATA}/Stubs)
    set(QG_NSISDIR ${CMAKE_BINARY_DIR}/packaging/nsisdir)
    set(QG_NSIS_STUB lzma_solid-x86-ansi)
    file(MAKE_DIRECTORY ${QG_NSISDIR}/Stubs)
    foreach(folder Contrib Include Plugins)
        file(CREATE_LINK ${QG_NSIS_DATA}/${folder} ${QG_NSISDIR}/${folder} SYMBOLIC)
    endforeach()
    file(GLOB QG_NSIS_STUBS RELATIVE ${QG_NSIS_DATA}/Stubs ${QG_NSIS_DATA}/Stubs/*)
    list(REMOVE_ITEM QG_NSIS_STUBS ${QG_NSIS_STUB})
    foreach(stub ${QG_NSIS_STUBS})
        file(CREATE_LINK ${QG_NSIS_DATA}/Stubs/${stub} ${QG_NSISDIR}/Stubs/${stub} SYMBOLIC)
    endforeach()
    configure_file(${CMAKE_SOURCE_DIR}/packaging/nsis/${QG_NSIS_STUB}
                   ${QG_NSISDIR}/Stubs/${QG_NSIS_STUB} COPYONLY)
    set(CPACK_NSIS_EXECUTABLE ${CMAKE_BINARY_DIR}/packaging/makensis)
    file(WRITE ${CPACK_NSIS_EXECUTABLE} "#!/bin/sh\nNSISDIR='${QG_NSISDIR}' exec makensis \"$@\"\n")
    file(CHMOD ${CPACK_NSIS_EXECUTABLE} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
         GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    set(CPACK_QG_UNINSTALLER ${CMAKE_BINARY_DIR}/packaging/uninstall.exe)
endif()
set(CPACK_QG_ICON ${CMAKE_SOURCE_DIR}/resources/quillgate.ico)
set(CPACK_QG_FILE_VERSION ${PROJECT_VERSION})
set(CPACK_QG_CONTRACT_NSH ${QG_CONTRACT_NSH})
# Windows 95/98 run only ANSI installers. The 64-bit bench build (cmake/testbench.sh) makes a
# 64-bit one from the same script, since 32-bit Wine cannot run there.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_QG_NSIS_TARGET "Target amd64-unicode")
else()
    set(CPACK_QG_NSIS_TARGET "Unicode false")
endif()
# Each generator names its own file.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/packaging/PackageNames.cmake)
include(CPack)
