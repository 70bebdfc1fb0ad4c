# What ships and how: the runtime quillgate.exe links for Windows 95/98, the install layout,
# and the two packages that `cmake --build <build> --target package` makes with CPack:
# Quillgate-1.0-win32.zip and the NSIS installer Quillgate-1.0-setup.exe.

# The posix thread model's static runtime drags in winpthread, whose imports
# (GetTickCount64, AddVectoredExceptionHandler, TryEnterCriticalSection...) Windows 95/98 lack,
# so they would refuse to load the program. quillgate.exe starts no threads: it links the
# libstdc++ and libgcc of the win32 thread model instead, found first through this search path.
# The tests keep the posix runtime, which GoogleTest needs. tests/imports checks the result.
if(CMAKE_CXX_COMPILER MATCHES "-posix$")
    string(REGEX REPLACE "-posix$" "-win32" QG_WIN32_CXX "${CMAKE_CXX_COMPILER}")
    execute_process(COMMAND ${QG_WIN32_CXX} -print-file-name=libstdc++.a
                    OUTPUT_VARIABLE QG_WIN32_LIBSTDCXX OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE QG_WIN32_RESULT ERROR_QUIET)
    if(QG_WIN32_RESULT EQUAL 0 AND IS_ABSOLUTE "${QG_WIN32_LIBSTDCXX}")
        get_filename_component(QG_WIN32_RUNTIME_DIR "${QG_WIN32_LIBSTDCXX}" DIRECTORY)
        target_link_options(quillgate PRIVATE -L${QG_WIN32_RUNTIME_DIR})
    else()
        message(WARNING "No win32 thread-model runtime beside ${CMAKE_CXX_COMPILER}: "
                        "quillgate.exe will not load on Windows 95/98")
    endif()
endif()

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
set(CPACK_NSIS_EXECUTABLE makensis)
set(CPACK_QG_ICON ${CMAKE_SOURCE_DIR}/resources/quillgate.ico)
set(CPACK_QG_FILE_VERSION ${PROJECT_VERSION})
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
