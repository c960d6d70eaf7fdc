# Lays out an installation folder with "cmake --install" (as an integrator or the
# installer's build does) and checks that it is complete and usable:
#  - exactly the expected files, nothing missing and nothing extra;
#  - the programs are Windows binaries of the build's bitness that need no DLL the
#    folder lacks (no compiler runtime), the monitor a GUI program, and they export
#    what hosts and the programs look up; in 32-bit code each export returns the
#    way its calling convention says (read off the machine code);
#  - the setup program carries exactly this folder (listed by 7-Zip, when given);
#  - the SDK stands on its own: the samples compile and link from the installed
#    headers and import library alone.
# Nothing here runs a Windows program: it checks 32-bit binaries on machines that
# cannot run them.
#   cmake -DBUILD_DIR=.. -DWORK_DIR=.. -DC_COMPILER=.. -DCXX_COMPILER=.. -DOBJDUMP=.. -DX86=ON|OFF
#         -DVARNEL_DEF=.. [-DSEVEN_ZIP=.. -DSETUP_FILE=.. -DSTAGE_DIR=..] -P check_install_layout.cmake
cmake_minimum_required(VERSION 3.20)
include(${CMAKE_CURRENT_LIST_DIR}/check_x86_conventions.cmake)
foreach(var BUILD_DIR WORK_DIR C_COMPILER CXX_COMPILER OBJDUMP VARNEL_DEF)
    if(NOT ${var})
        message(FATAL_ERROR "${var} is not set")
    endif()
endforeach()

set(failures 0)
macro(fail text)
    message(SEND_ERROR "${text}")
    math(EXPR failures "${failures} + 1")
endmacro()

set(prefix "${WORK_DIR}/prefix")
file(REMOVE_RECURSE "${WORK_DIR}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed (${result})")
endif()

# -- the files -------------------------------------------------------------------
set(expected
    README.txt
    Tessaly.exe
    Varnel.dll
    ZOVLogMessages.ini
    ZOVNativeLogging.dll
    examples/companion/SampleCompanion.cpp
    examples/companion/sample_companion.h
    examples/host/sample_host.c
    include/ILogger.h
    include/LogLevelValues.h
    include/varnel.h
    lib/libvarnel.dll.a
    sample_host.exe)
file(GLOB_RECURSE installed LIST_DIRECTORIES false RELATIVE "${prefix}" "${prefix}/*")
list(SORT installed)
list(SORT expected)
if(NOT installed STREQUAL expected)
    set(missing ${expected})
    list(REMOVE_ITEM missing ${installed})
    set(extra ${installed})
    list(REMOVE_ITEM extra ${expected})
    fail("installation folder differs: missing [${missing}], unexpected [${extra}]")
endif()
foreach(text_file README.txt ZOVLogMessages.ini include/varnel.h)
    file(SIZE "${prefix}/${text_file}" size)
    if(size LESS 200)
        fail("${text_file} is nearly empty (${size} bytes)")
    endif()
endforeach()

# -- the binaries ----------------------------------------------------------------
if(X86)
    set(pe_format "pei-i386")
    set(bitness "32-bit")
else()
    set(pe_format "pei-x86-64")
    set(bitness "64-bit")
endif()
# name;DLLs it may import besides the system's;exports it must have
set(binaries
    "Tessaly.exe||"
    "Varnel.dll||ZOVLC_Initialize,ZOVLC_InitializeEx,ZOVLC_SendLogMessage,ZOVLC_CleanUp,PASCAL_ZOVLC_Initialize,PASCAL_ZOVLC_InitializeEx,PASCAL_ZOVLC_SendLogMessage,PASCAL_ZOVLC_CleanUp"
    "ZOVNativeLogging.dll||ZOV_SetLogger,ZOVNL_WriteSampleDiagnostics"
    "sample_host.exe|Varnel.dll|")
foreach(entry IN LISTS binaries)
    string(REPLACE "|" ";" fields "${entry}")
    list(GET fields 0 name)
    list(GET fields 1 own_imports)
    list(GET fields 2 exports)
    string(REPLACE "," ";" exports "${exports}")
    execute_process(COMMAND "${OBJDUMP}" -p "${prefix}/${name}" OUTPUT_VARIABLE dump RESULT_VARIABLE result)
    if(NOT result EQUAL 0 OR NOT dump MATCHES "file format ${pe_format}")
        fail("${name} is not a ${bitness} Windows binary")
        continue()
    endif()
    if(name STREQUAL "Tessaly.exe" AND NOT dump MATCHES "\nSubsystem\t+00000002")
        fail("Tessaly.exe is not a GUI program")
    endif()
    string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
    foreach(import IN LISTS imports)
        string(REGEX REPLACE "DLL Name: +" "" dll "${import}")
        string(STRIP "${dll}" dll)
        string(TOLOWER "${dll}" dll_lower)
        if(dll_lower MATCHES "^(libgcc|libstdc|libwinpthread|msvcp|vcruntime)" OR
           (dll_lower MATCHES "^(varnel|zovnativelogging)" AND NOT dll STREQUAL own_imports))
            fail("${name} imports ${dll}, which an installation does not provide")
        endif()
    endforeach()
    foreach(export IN LISTS exports)
        # The export table lists "[ordinal] name"; the names must be undecorated.
        if(NOT dump MATCHES "\\] ${export}\n")
            fail("${name} does not export ${export}")
        endif()
    endforeach()
endforeach()

if(X86)
    check_x86_conventions("${OBJDUMP}" "${prefix}/Varnel.dll" "${VARNEL_DEF}" failures)
endif()

# -- the setup program -----------------------------------------------------------
# Its files are the stage folder's (the same folder, stripped), with the same sizes,
# and the uninstaller it writes.
if(SEVEN_ZIP AND SETUP_FILE)
    execute_process(COMMAND "${SEVEN_ZIP}" l -slt "${SETUP_FILE}" OUTPUT_VARIABLE listing RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        fail("7-Zip cannot list ${SETUP_FILE}")
    endif()
    string(REGEX MATCHALL "\nPath = [^\n]+\n(Folder = -\n)?Size = [0-9]*" entries "${listing}")
    set(carried)
    foreach(entry IN LISTS entries)
        string(REGEX MATCH "Path = ([^\n]+)" _ "${entry}")
        set(path "${CMAKE_MATCH_1}")
        string(REGEX MATCH "Size = ([0-9]*)" _ "${entry}")
        list(APPEND carried "${path}:${CMAKE_MATCH_1}")
    endforeach()
    set(staged "Uninstall.exe:")
    file(GLOB_RECURSE stage_files LIST_DIRECTORIES false RELATIVE "${STAGE_DIR}" "${STAGE_DIR}/*")
    foreach(file_name IN LISTS stage_files)
        file(SIZE "${STAGE_DIR}/${file_name}" size)
        list(APPEND staged "${file_name}:${size}")
    endforeach()
    list(SORT carried)
    list(SORT staged)
    if(NOT carried STREQUAL staged)
        fail("the setup program carries [${carried}], the installation folder is [${staged}]")
    endif()
    list(SORT stage_files)
    if(NOT stage_files STREQUAL expected)
        fail("the setup program's folder differs from the installation folder: [${stage_files}]")
    endif()
endif()

# -- the SDK on its own ----------------------------------------------------------
set(sdk_build "${WORK_DIR}/sdk-build")
file(MAKE_DIRECTORY "${sdk_build}")
execute_process(
    COMMAND "${C_COMPILER}" -Wall -Wextra -Werror -I "${prefix}/include" -I "${prefix}/examples/companion"
            "${prefix}/examples/host/sample_host.c" "${prefix}/lib/libvarnel.dll.a" -o "${sdk_build}/sample_host.exe"
    RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
    fail("the sample host does not build from the installed SDK:\n${errors}")
endif()
execute_process(
    COMMAND "${CXX_COMPILER}" -std=c++17 -Wall -Wextra -Werror -shared -static -static-libgcc -static-libstdc++
            -I "${prefix}/include" -I "${prefix}/examples/companion"
            "${prefix}/examples/companion/SampleCompanion.cpp" -o "${sdk_build}/ZOVNativeLogging.dll"
    RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
    fail("the sample companion library does not build from the installed SDK:\n${errors}")
endif()

if(failures GREATER 0)
    message(FATAL_ERROR "${failures} problem(s) with the installation folder")
endif()
message(STATUS "installation folder complete: ${prefix}")
