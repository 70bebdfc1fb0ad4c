# The lock's contract, typed once in lockconfig/Contract.h, in the forms the other sides need.
# Generated into QG_GENERATED_DIR:
#   contract.inc   for NASM (QG_CONTRACT_INC): MAXLEN, KEY, PW_PATH, PW_NEW_PATH, RB_PATH, ...
#   contract.nsh   for the installer script (QG_CONTRACT_NSH): BOOT_SCRIPT, BOOT_LINE, BOOT_FOLDER
#   contract.sh    for test scripts, to be sourced (QG_CONTRACT_SH)
set(QG_CONTRACT_H ${CMAKE_SOURCE_DIR}/lockconfig/Contract.h)
set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${QG_CONTRACT_H})

file(STRINGS ${QG_CONTRACT_H} qg_contract_lines REGEX "^#define QG_[A-Z_]+ ")
foreach(line IN LISTS qg_contract_lines)
    if(NOT line MATCHES "^#define (QG_[A-Z_]+) (\"([^\"]*)\"|[0-9]+)$")
        message(FATAL_ERROR "lockconfig/Contract.h: not a plain definition: ${line}")
    endif()
    set(name ${CMAKE_MATCH_1})
    if(CMAKE_MATCH_3 STREQUAL "")
        set(${name} "${CMAKE_MATCH_2}")
    else()
        string(REPLACE "\\\\" "\\" ${name} "${CMAKE_MATCH_3}")
    endif()
endforeach()
foreach(name QG_BOOT_SCRIPT QG_BOOT_FOLDER QG_BOOT_FOLDER_LOWER QG_BOOT_PROGRAM QG_REBOOT_PROGRAM
             QG_PASSWORD_FILE QG_PASSWORD_NEW_FILE QG_PASSWORD_KEY QG_MAX_PASSWORD_LENGTH
             QG_CONFIG_SYS QG_INSTALL_SWITCH QG_INSTALL_LINE)
    if(NOT DEFINED ${name})
        message(FATAL_ERROR "lockconfig/Contract.h does not define ${name}")
    endif()
endforeach()
string(TOLOWER "${QG_BOOT_FOLDER}" qg_lower)
if(NOT qg_lower STREQUAL QG_BOOT_FOLDER_LOWER)
    message(FATAL_ERROR "lockconfig/Contract.h: QG_BOOT_FOLDER_LOWER is not QG_BOOT_FOLDER in lower case")
endif()

# The CONFIG.SYS line must start the very program the boot script starts, with the switch.
string(TOUPPER "INSTALL=${QG_BOOT_FOLDER}\\${QG_BOOT_PROGRAM} ${QG_INSTALL_SWITCH}" qg_upper)
if(NOT qg_upper STREQUAL QG_INSTALL_LINE)
    message(FATAL_ERROR "lockconfig/Contract.h: QG_INSTALL_LINE does not start QG_BOOT_PROGRAM in QG_BOOT_FOLDER with QG_INSTALL_SWITCH")
endif()

string(REGEX REPLACE "^.*\\\\" "" QG_BOOT_FOLDER_NAME "${QG_BOOT_FOLDER}")
# The line the boot script runs, and the files the boot prompt opens (as BootFiles.h has them).
set(QG_BOOT_LINE "${QG_BOOT_FOLDER}\\${QG_BOOT_PROGRAM}")
set(QG_PASSWORD_PATH "${QG_BOOT_FOLDER_LOWER}\\${QG_PASSWORD_FILE}")
set(QG_PASSWORD_NEW_PATH "${QG_BOOT_FOLDER_LOWER}\\${QG_PASSWORD_NEW_FILE}")
set(QG_REBOOT_PATH "${QG_BOOT_FOLDER_LOWER}\\${QG_REBOOT_PROGRAM}")

set(QG_CONTRACT_INC ${QG_GENERATED_DIR}/contract.inc)
set(QG_CONTRACT_NSH ${QG_GENERATED_DIR}/contract.nsh)
set(QG_CONTRACT_SH ${QG_GENERATED_DIR}/contract.sh)
configure_file(${CMAKE_CURRENT_LIST_DIR}/contract/contract.inc.in ${QG_CONTRACT_INC} @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/contract/contract.nsh.in ${QG_CONTRACT_NSH} @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/contract/contract.sh.in ${QG_CONTRACT_SH} @ONLY)
