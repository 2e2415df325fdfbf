# The module's VERSIONINFO resource, from the one project version.
enable_language(RC)

set(PLOKVAR_FILE_DESCRIPTION "plokvar: the PC itself as an I/O system")
set(PLOKVAR_LEGAL_COPYRIGHT "Copyright (C) the plokvar developers")
configure_file(${PROJECT_SOURCE_DIR}/src/exports/version.rc.in ${CMAKE_BINARY_DIR}/version.rc @ONLY)
target_sources(plokvar PRIVATE ${CMAKE_BINARY_DIR}/version.rc)
