# The release package as a user gets it: made with cpack, unpacked in a
# folder of its own, its probe run against its DLL under Wine.
#   cmake -DCPACK=cpack -DBUILD_DIR=build -DPACKAGE=plokvar-1.0.0-win32 -DWINE_RUN=scripts/wine-run
#         -DPREFIX=wineprefix -P package_test.cmake
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/run_probe.cmake)

# Everything a host's developer needs, and nothing else.
set(expected_files
    README.md
    bin/plokvar-probe.exe
    bin/plokvar.dll
    include/plokvar.h
    include/plokvar.pas
    lib/libplokvar.dll.a
    lib/plokvar.def
    lib/plokvar.lib)

set(work ${BUILD_DIR}/package-test)
file(REMOVE_RECURSE ${work})
execute_process(COMMAND ${CPACK} -G ZIP --config ${BUILD_DIR}/CPackConfig.cmake -B ${work}
                RESULT_VARIABLE exit OUTPUT_VARIABLE output ERROR_VARIABLE error)
set(zip ${work}/${PACKAGE}.zip)
if(NOT exit EQUAL 0 OR NOT EXISTS ${zip})
    message(FATAL_ERROR "cpack did not write ${zip} (exit ${exit}):\n${output}${error}")
endif()

set(unpacked ${work}/unpacked)
file(MAKE_DIRECTORY ${unpacked})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${zip} WORKING_DIRECTORY ${unpacked} RESULT_VARIABLE exit)
if(NOT exit EQUAL 0)
    message(FATAL_ERROR "cannot unpack ${zip}")
endif()
file(GLOB top RELATIVE ${unpacked} ${unpacked}/*)
if(NOT top STREQUAL PACKAGE)
    message(FATAL_ERROR "the package unpacks to '${top}', not to the one folder ${PACKAGE}")
endif()

set(root ${unpacked}/${PACKAGE})
file(GLOB_RECURSE found LIST_DIRECTORIES false RELATIVE ${root} ${root}/*)
set(missing ${expected_files})
list(REMOVE_ITEM missing ${found})
set(unexpected ${found})
list(REMOVE_ITEM unexpected ${expected_files})
if(missing OR unexpected)
    message(FATAL_ERROR "${zip}:\nmissing: ${missing}\nunexpected: ${unexpected}")
endif()

# The files are the build's own, not stale copies.
foreach(file IN ITEMS bin/plokvar.dll bin/plokvar-probe.exe)
    file(SHA256 ${root}/${file} packaged)
    file(SHA256 ${BUILD_DIR}/${file} built)
    if(NOT packaged STREQUAL built)
        message(FATAL_ERROR "${file} in the package differs from the one in ${BUILD_DIR}")
    endif()
endforeach()

# The packaged probe finds the packaged DLL beside itself.
run_probe(${root}/bin/plokvar-probe.exe "list")
check_probe(WHAT "the packaged plokvar-probe list"
    OUTPUT "^Module +[^\n]*unpacked.plokvar-[^\n]*-win32.bin.plokvar\\.dll\n"
           "\nTitle +Système PC\n"
           "\nanalogue input +1 +date\\.heure +[0-9.]+ +ead\n"
           "\nbinary output +3 +CD ouvert +0 +rsb\n")
run_probe(${root}/bin/plokvar-probe.exe "--dll;${root}/bin/plokvar.dll;call;stdsadouble;0;2.75;+;call;rsad;0")
check_probe(WHAT "the packaged plokvar-probe --dll" OUTPUT "^2.75\n2.75\n$")
