# Lays out an installation folder with "cmake --install" (as an integrator or the
# installer's build does) and checks that it is complete and usable:
#  - exactly the expected files, nothing missing and nothing extra;
#  - the programs are Windows binaries of the build's bitness that need no DLL the
#    folder lacks (no compiler runtime), the monitor a GUI program, and they export
#    what hosts and the programs look up; in 32-bit code each export returns the
#    way its calling convention says (read off the machine code);
#  - the setup program carries exactly this folder (listed by 7-Zip, when given);
#  - the x64 folder holds the 64-bit client library, companion library and sample
#    host, whatever the build's bitness;
#  - the SDK stands on its own: the samples compile and link from the installed
#    headers and import library alone; a host in Microsoft mode (clang for
#    *-pc-windows-msvc, lld-link) links against each Varnel.lib and imports every
#    export by its undecorated name; the sample host builds with the CMake
#    package for each bitness given (TOOLCHAINS), with that bitness's Varnel.dll.
# Nothing here runs a Windows program: it checks 32-bit binaries on machines that
# cannot run them.
#   cmake -DBUILD_DIR=.. -DWORK_DIR=.. -DC_COMPILER=.. -DCXX_COMPILER=.. -DOBJDUMP=.. -DOBJDUMP64=..
#         -DX86=ON|OFF -DVARNEL_DEF=.. -DCLANG=.. -DMSVC_FLAGS=<flag;...> -DLLD_LINK=..
#         -DLLVM_DLLTOOL=.. -DMSVC_HOST=..
#         -DKERNEL32_DEF=.. -DTOOLCHAINS=<file;...> [-DSEVEN_ZIP=.. -DSETUP_FILE=.. -DSTAGE_DIR=..]
#         -P check_install_layout.cmake
cmake_minimum_required(VERSION 3.20)
include(${CMAKE_CURRENT_LIST_DIR}/check_x86_conventions.cmake)
foreach(var BUILD_DIR WORK_DIR C_COMPILER CXX_COMPILER OBJDUMP OBJDUMP64 VARNEL_DEF CLANG MSVC_FLAGS LLD_LINK LLVM_DLLTOOL
            MSVC_HOST KERNEL32_DEF TOOLCHAINS)
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
    examples/host/CMakeLists.txt
    include/varnel.h
    lib/Varnel.lib
    lib/cmake/Varnel/VarnelConfig.cmake
    lib/cmake/Varnel/VarnelConfigVersion.cmake
    lib/libvarnel.dll.a
    lib/x64/Varnel.lib
    lib/x64/libvarnel.dll.a
    sample_host.exe
    x64/Varnel.dll
    x64/ZOVNativeLogging.dll
    x64/sample_host.exe)
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
else()
    set(pe_format "pei-x86-64")
endif()
set(varnel_exports ZOVLC_Initialize ZOVLC_InitializeEx ZOVLC_SendLogMessage ZOVLC_CleanUp PASCAL_ZOVLC_Initialize
    PASCAL_ZOVLC_InitializeEx PASCAL_ZOVLC_SendLogMessage PASCAL_ZOVLC_CleanUp)
string(REPLACE ";" "," varnel_export_list "${varnel_exports}")
# name;DLLs it may import besides the system's;exports it must have;format
set(binaries
    "Tessaly.exe|||${pe_format}"
    "Varnel.dll||${varnel_export_list}|${pe_format}"
    "ZOVNativeLogging.dll||ZOV_SetLogger,ZOVNL_WriteSampleDiagnostics|${pe_format}"
    "sample_host.exe|Varnel.dll||${pe_format}"
    "x64/Varnel.dll||${varnel_export_list}|pei-x86-64"
    "x64/ZOVNativeLogging.dll||ZOV_SetLogger,ZOVNL_WriteSampleDiagnostics|pei-x86-64"
    "x64/sample_host.exe|Varnel.dll||pei-x86-64")
foreach(entry IN LISTS binaries)
    string(REPLACE "|" ";" fields "${entry}")
    list(GET fields 0 name)
    list(GET fields 1 own_imports)
    list(GET fields 2 exports)
    list(GET fields 3 format)
    string(REPLACE "," ";" exports "${exports}")
    execute_process(COMMAND "${OBJDUMP64}" -p "${prefix}/${name}" OUTPUT_VARIABLE dump RESULT_VARIABLE result)
    if(NOT result EQUAL 0 OR NOT dump MATCHES "file format ${format}")
        fail("${name} is not a Windows binary of format ${format}")
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

# A Visual C++ host: Microsoft mode, no C runtime, linked against Varnel.lib of each
# bitness. It must import every export of Varnel.dll by its plain name: the twins'
# decorated names (_PASCAL_ZOVLC_Initialize@12) bound to the undecorated exports.
# The 64-bit test build's folder has 64-bit import libraries throughout.
set(msvc_archs x86_64)
if(X86)
    list(PREPEND msvc_archs i686)
endif()
foreach(arch IN LISTS msvc_archs)
    if(arch STREQUAL "i686")
        set(lib_dir "${prefix}/lib")
        set(machine i386)
        set(format pei-i386)
    else()
        set(lib_dir "${prefix}/lib/x64")
        set(machine i386:x86-64)
        set(format pei-x86-64)
    endif()
    set(msvc_dir "${WORK_DIR}/msvc-${arch}")
    file(MAKE_DIRECTORY "${msvc_dir}")
    set(msvc_flags --target=${arch}-pc-windows-msvc ${MSVC_FLAGS} -I "${prefix}/include")
    execute_process(COMMAND "${CLANG}" ${msvc_flags} -x c++ -fsyntax-only "${MSVC_HOST}"
                    RESULT_VARIABLE result ERROR_VARIABLE errors)
    if(NOT result EQUAL 0)
        fail("varnel.h does not compile as C++ in Microsoft mode (${arch}):\n${errors}")
    endif()
    execute_process(
        COMMAND "${CLANG}" ${msvc_flags} -c "${MSVC_HOST}" -o "${msvc_dir}/msvc_host.obj"
        COMMAND_ERROR_IS_FATAL ANY)
    file(READ "${KERNEL32_DEF}" kernel32_def_text)
    if(arch STREQUAL "x86_64")
        string(REGEX REPLACE "@[0-9]+" "" kernel32_def_text "${kernel32_def_text}")
    endif()
    file(WRITE "${msvc_dir}/kernel32.def" "${kernel32_def_text}")
    execute_process(COMMAND "${LLVM_DLLTOOL}" -m ${machine} -k -d "${msvc_dir}/kernel32.def"
                            -l "${msvc_dir}/kernel32.lib"
                    COMMAND_ERROR_IS_FATAL ANY)
    execute_process(
        COMMAND "${LLD_LINK}" /nologo /nodefaultlib /subsystem:console /entry:MsvcHostMain
                "/out:${msvc_dir}/msvc_host.exe" "${msvc_dir}/msvc_host.obj" "${lib_dir}/Varnel.lib"
                "${msvc_dir}/kernel32.lib"
        RESULT_VARIABLE result OUTPUT_VARIABLE errors ERROR_VARIABLE errors)
    if(NOT result EQUAL 0)
        fail("a Microsoft-mode ${arch} host does not link against ${lib_dir}/Varnel.lib:\n${errors}")
        continue()
    endif()
    execute_process(COMMAND "${OBJDUMP64}" -p "${msvc_dir}/msvc_host.exe" OUTPUT_VARIABLE dump)
    if(NOT dump MATCHES "file format ${format}")
        fail("the Microsoft-mode ${arch} host is not ${format}")
    endif()
    string(REGEX MATCH "DLL Name: Varnel.dll\n[^\n]*\n(\t[^\n]+\n)+" varnel_imports "${dump}")
    foreach(export IN LISTS varnel_exports)
        if(NOT varnel_imports MATCHES "[0-9]+  ${export}\n")
            fail("the Microsoft-mode ${arch} host does not import ${export} from Varnel.dll:\n${varnel_imports}")
        endif()
    endforeach()
endforeach()

# The CMake package: the installed sample host's CMakeLists.txt, configured and
# built against the installation with each toolchain. Varnel::Varnel must bring the
# import library and Varnel.dll of that toolchain's bitness.
foreach(toolchain IN LISTS TOOLCHAINS)
    get_filename_component(toolchain_name "${toolchain}" NAME_WE)
    set(package_build "${WORK_DIR}/package-${toolchain_name}")
    execute_process(
        COMMAND "${CMAKE_COMMAND}" -S "${prefix}/examples/host" -B "${package_build}"
                "-DCMAKE_TOOLCHAIN_FILE=${toolchain}" "-DCMAKE_PREFIX_PATH=${prefix}"
        RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(result EQUAL 0)
        execute_process(COMMAND "${CMAKE_COMMAND}" --build "${package_build}"
                        RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    endif()
    if(NOT result EQUAL 0)
        fail("the sample host does not build with find_package(Varnel) and ${toolchain_name}:\n${output}")
        continue()
    endif()
    if(toolchain_name MATCHES "^x86_64")
        set(format pei-x86-64)
    else()
        set(format pei-i386)
    endif()
    foreach(built IN ITEMS sample_host.exe Varnel.dll)
        execute_process(COMMAND "${OBJDUMP64}" -p "${package_build}/${built}" OUTPUT_VARIABLE dump)
        if(NOT dump MATCHES "file format ${format}")
            fail("with ${toolchain_name}, the package gave a ${built} that is not ${format}")
        endif()
    endforeach()
endforeach()

if(failures GREATER 0)
    message(FATAL_ERROR "${failures} problem(s) with the installation folder")
endif()
message(STATUS "installation folder complete: ${prefix}")
