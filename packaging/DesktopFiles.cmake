# SPDX-License-Identifier: MIT
# Part of the installation: writes the desktop entry and the D-Bus service
# file for the prefix being installed to. Set by the caller: ZAN_APP_ID,
# ZAN_PACKAGING_DIR (templates), ZAN_GENERATED_DIR (output folder).

set(ZAN_INSTALLED_LAUNCHER "${CMAKE_INSTALL_PREFIX}/bin/zan-client-launcher")

# Exec is quoted only where it must be: the simplest openers split it at
# white space and know nothing of quotes. Inside quotes the desktop entry
# format wants \", \`, \$ and \\ escaped, and the file format then doubles
# every backslash once more.
if(ZAN_INSTALLED_LAUNCHER MATCHES "[] \t\n\"'\\\\><~|&;$*?#()`[]")
    set(program "${ZAN_INSTALLED_LAUNCHER}")
    string(REPLACE "\\" "\\\\" program "${program}")
    string(REPLACE "\"" "\\\"" program "${program}")
    string(REPLACE "`" "\\`" program "${program}")
    string(REPLACE "$" "\\$" program "${program}")
    string(REPLACE "\\" "\\\\" program "${program}")
    set(ZAN_EXEC_PROGRAM "\"${program}\"")
else()
    set(ZAN_EXEC_PROGRAM "${ZAN_INSTALLED_LAUNCHER}")
endif()
# A per cent sign would start a field code.
string(REPLACE "%" "%%" ZAN_EXEC_PROGRAM "${ZAN_EXEC_PROGRAM}")

# The service file's Exec is split by D-Bus like a shell would, without
# variables: single quotes keep everything but a single quote.
string(REPLACE "'" "'\\''" service_program "${ZAN_INSTALLED_LAUNCHER}")
set(ZAN_SERVICE_PROGRAM "'${service_program}'")

configure_file("${ZAN_PACKAGING_DIR}/launcher.desktop.in"
               "${ZAN_GENERATED_DIR}/${ZAN_APP_ID}.desktop" @ONLY)
configure_file("${ZAN_PACKAGING_DIR}/launcher.service.in"
               "${ZAN_GENERATED_DIR}/${ZAN_APP_ID}.service" @ONLY)
