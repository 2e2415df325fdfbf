# Checks plokvar.lib as MSVC's linker reads it: one short import entry of
# code per export of the .def, whose symbol is the name a caller compiled
# with plokvar.h asks for (_stdea@4, _cea) and whose name type strips that
# decoration again, so that the DLL is asked for the undecorated export.
#   cmake -DREADOBJ=llvm-readobj -DLIBRARY=plokvar.lib -DDEF=plokvar.def -P check_msvc_import_library.cmake

cmake_minimum_required(VERSION 3.25)

execute_process(COMMAND ${READOBJ} ${LIBRARY} OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${READOBJ} cannot read ${LIBRARY}")
endif()

# Entries as "symbol|format|type|name type", from llvm-readobj's blocks:
#   File: plokvar.dll / Format: COFF-import-file / Type: code /
#   Name type: undecorate / Symbol: __imp__stdea@4 / Symbol: _stdea@4
string(REPLACE "\nFile: " ";" blocks "${listing}")
set(entries "")
foreach(block IN LISTS blocks)
    if(NOT block MATCHES "Format: ([^\n]*)")
        continue()
    endif()
    set(format ${CMAKE_MATCH_1})
    set(type "")
    set(name_type "")
    if(block MATCHES "\nType: ([^\n]*)")
        set(type ${CMAKE_MATCH_1})
    endif()
    if(block MATCHES "\nName type: ([^\n]*)")
        set(name_type ${CMAKE_MATCH_1})
    endif()
    string(REGEX MATCHALL "\nSymbol: _[^_\n][^\n]*" symbols "${block}")
    foreach(symbol IN LISTS symbols)
        string(REGEX REPLACE "^\nSymbol: " "" symbol "${symbol}")
        list(APPEND entries "${symbol}|${format}|${type}|${name_type}")
    endforeach()
endforeach()

file(STRINGS "${DEF}" exports REGEX "^[ \t]+[a-z]+(@[0-9]+)? @[0-9]+")
set(problems "")
foreach(line IN LISTS exports)
    string(STRIP "${line}" line)
    string(REGEX REPLACE " @[0-9]+$" "" name "${line}")
    if(name MATCHES "@")
        set(expected "_${name}|COFF-import-file|code|undecorate")
    else()
        set(expected "_${name}|COFF-import-file|code|noprefix")
    endif()
    string(REGEX REPLACE "\\|.*" "" symbol "${expected}")
    set(found ${entries})
    list(FILTER found INCLUDE REGEX "^${symbol}\\|")
    if(NOT found)
        string(APPEND problems "  ${symbol}: no entry\n")
    elseif(NOT found STREQUAL expected)
        string(APPEND problems "  ${symbol}: ${found}, expected ${expected}\n")
    endif()
endforeach()

list(LENGTH exports count)
list(LENGTH entries entry_count)
if(count EQUAL 0 OR NOT entry_count EQUAL count)
    string(APPEND problems "  ${entry_count} entries for ${count} exports in the .def\n")
endif()
if(problems)
    message(FATAL_ERROR "${LIBRARY}:\n${problems}")
endif()
message(STATUS "${LIBRARY}: ${count} short import entries, each mapped to its undecorated export")
