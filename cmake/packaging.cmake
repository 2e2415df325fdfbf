# The release package: `cpack` in the build directory writes
# plokvar-<version>-win32.zip, unpacking to one folder:
#   bin/      plokvar.dll, plokvar-probe.exe
#   include/  plokvar.h (C, C++), plokvar.pas (Delphi, Free Pascal)
#   lib/      libplokvar.dll.a (MinGW), plokvar.lib (MSVC), plokvar.def
#   README.md
# The module goes in as a file, not as a target: a target's install rule
# would add the import library the linker writes beside it, and the package's
# import libraries are the ones made from the module-definition file.

foreach(variable IN ITEMS PLOKVAR_PUBLIC_HEADER PLOKVAR_PASCAL_UNIT PLOKVAR_MINGW_IMPORT_LIBRARY
                          PLOKVAR_MSVC_IMPORT_LIBRARY)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "The release package needs ${variable} from cmake/host_kit.cmake")
    endif()
endforeach()

install(FILES $<TARGET_FILE:plokvar> DESTINATION bin)
install(PROGRAMS $<TARGET_FILE:plokvar-probe> DESTINATION bin)
install(FILES ${PLOKVAR_PUBLIC_HEADER} ${PLOKVAR_PASCAL_UNIT} DESTINATION include)
install(FILES ${PLOKVAR_MINGW_IMPORT_LIBRARY} ${PLOKVAR_MSVC_IMPORT_LIBRARY} ${PLOKVAR_DEF} DESTINATION lib)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME plokvar)
set(CPACK_PACKAGE_VENDOR "the plokvar developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_FILE_NAME plokvar-${PROJECT_VERSION}-win32)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
