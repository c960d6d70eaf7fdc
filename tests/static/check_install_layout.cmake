# Lays out an installation folder with "cmake --install" (as an integrator or the
# installer's build does) and checks that it is complete and usable:
#  - exactly the expected files, nothing missing and nothing extra;
#  - the programs are Windows binaries that need no DLL the folder lacks (no
#    compiler runtime), and export what hosts and the programs look up;
#  - the SDK stands on its own: the samples compile and link from the installed
#    headers and import library alone.
#   cmake -DBUILD_DIR=.. -DWORK_DIR=.. -DC_COMPILER=.. -DCXX_COMPILER=.. -DOBJDUMP=.. -P check_install_layout.cmake
cmake_minimum_required(VERSION 3.20)
foreach(var BUILD_DIR WORK_DIR C_COMPILER CXX_COMPILER OBJDUMP)
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
    if(NOT result EQUAL 0 OR NOT dump MATCHES "file format pei-i386")
        fail("${name} is not a 32-bit Windows binary")
        continue()
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
