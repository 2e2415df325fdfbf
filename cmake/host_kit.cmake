# The host kit: what a host program is built with. The public header and the
# Pascal unit are in include/; the two import libraries are made here from the
# module-definition file, whose stdcall and register names keep their
# decoration (stdea@4): a caller compiled with the header asks for _stdea@4,
# and -k maps that to the undecorated export stdea.
#
# For the packaging and the hosts:
#   PLOKVAR_PUBLIC_HEADER, PLOKVAR_PASCAL_UNIT     the sources a host includes
#   PLOKVAR_MINGW_IMPORT_LIBRARY                   lib/libplokvar.dll.a, for MinGW
#   PLOKVAR_MSVC_IMPORT_LIBRARY                    lib/plokvar.lib, for MSVC's linker
#   plokvar_import_libraries                       the target that makes both
#   plokvar_import                                 header + MinGW import library +
#                                                  the DLL, for target_link_libraries

set(PLOKVAR_INCLUDE_DIR ${PROJECT_SOURCE_DIR}/include)
set(PLOKVAR_PUBLIC_HEADER ${PLOKVAR_INCLUDE_DIR}/plokvar.h)
set(PLOKVAR_PASCAL_UNIT ${PLOKVAR_INCLUDE_DIR}/plokvar.pas)
set(PLOKVAR_MINGW_IMPORT_LIBRARY ${CMAKE_BINARY_DIR}/lib/libplokvar.dll.a)
set(PLOKVAR_MSVC_IMPORT_LIBRARY ${CMAKE_BINARY_DIR}/lib/plokvar.lib)

# The linker's own import library (--out-implib) has the names as exported,
# undecorated after --kill-at (_stdea), which no stdcall caller links against.
# It goes out of the way; the libraries made below take its place.
set_target_properties(plokvar PROPERTIES ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/CMakeFiles/plokvar-linker-implib)

set(PLOKVAR_MINGW_DLLTOOL ${CMAKE_DLLTOOL})
if(NOT PLOKVAR_MINGW_DLLTOOL)
    find_program(PLOKVAR_MINGW_DLLTOOL NAMES i686-w64-mingw32-dlltool)
endif()
find_program(PLOKVAR_LLVM_DLLTOOL NAMES llvm-dlltool llvm-dlltool-14)
foreach(tool PLOKVAR_MINGW_DLLTOOL PLOKVAR_LLVM_DLLTOOL)
    if(NOT ${tool})
        message(FATAL_ERROR "${tool} not found: scripts/install-prerequisites installs it")
    endif()
endforeach()

# The libraries follow every relink of the DLL as well as the .def: a build
# directory that held the linker's library under the same name is then
# brought up to date.
set(plokvar_implib_work ${CMAKE_BINARY_DIR}/CMakeFiles/plokvar-import-libraries)
file(MAKE_DIRECTORY ${plokvar_implib_work})
add_custom_command(
    OUTPUT ${PLOKVAR_MINGW_IMPORT_LIBRARY} ${PLOKVAR_MSVC_IMPORT_LIBRARY}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/lib
    # Long-format members, as MinGW's own import libraries are made.
    COMMAND ${PLOKVAR_MINGW_DLLTOOL} -k -d ${PLOKVAR_DEF} -D plokvar.dll -l ${PLOKVAR_MINGW_IMPORT_LIBRARY}
    # Short import entries, name type "undecorate": _stdea@4 imports stdea.
    COMMAND ${PLOKVAR_LLVM_DLLTOOL} -m i386 -k -d ${PLOKVAR_DEF} -D plokvar.dll -l ${PLOKVAR_MSVC_IMPORT_LIBRARY}
    DEPENDS ${PLOKVAR_DEF} plokvar_def plokvar
    WORKING_DIRECTORY ${plokvar_implib_work}
    COMMENT "Making the import libraries of plokvar.dll from plokvar.def"
    VERBATIM)
add_custom_target(plokvar_import_libraries ALL
    DEPENDS ${PLOKVAR_MINGW_IMPORT_LIBRARY} ${PLOKVAR_MSVC_IMPORT_LIBRARY})

add_library(plokvar_import INTERFACE)
target_include_directories(plokvar_import INTERFACE ${PLOKVAR_INCLUDE_DIR})
target_link_libraries(plokvar_import INTERFACE ${PLOKVAR_MINGW_IMPORT_LIBRARY})
add_dependencies(plokvar_import plokvar_import_libraries plokvar)
