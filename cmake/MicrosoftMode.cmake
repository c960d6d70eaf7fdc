# Binaries built the way Visual C++ builds them, without Visual C++: clang for
# <arch>-pc-windows-msvc, linked by lld-link, with no C runtime (there is no
# Windows SDK here; a binary imports only what its import libraries give it). The
# tests use them to call our libraries as Microsoft-compiled hosts and companion
# libraries do.
#   add_microsoft_mode_binary(<name> DLL|EXE SOURCE <file> [ENTRY <symbol>]
#                             [INCLUDES <dir>...] [LIBRARIES <import library>...]
#                             [DEPENDS <target or file>...])
# builds bin/<name>.dll or bin/<name>.exe for the build's bitness as target <name>.
find_program(MSVC_MODE_CLANG NAMES clang clang-14 REQUIRED)
find_program(MSVC_MODE_LLD_LINK NAMES lld-link lld-link-14 REQUIRED)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(MSVC_MODE_TARGET x86_64-pc-windows-msvc)
else()
    set(MSVC_MODE_TARGET i686-pc-windows-msvc)
endif()
# There is no C runtime to link: freestanding, and no stack-protector calls into one.
set(MSVC_MODE_FLAGS -ffreestanding -fno-stack-protector -Wall -Wextra -Werror)

function(add_microsoft_mode_binary name kind)
    cmake_parse_arguments(PARSE_ARGV 2 arg "" "SOURCE;ENTRY" "INCLUDES;LIBRARIES;DEPENDS")
    get_filename_component(source ${arg_SOURCE} ABSOLUTE)
    set(object ${CMAKE_CURRENT_BINARY_DIR}/${name}.obj)
    set(flags --target=${MSVC_MODE_TARGET} ${MSVC_MODE_FLAGS})
    if(source MATCHES "\\.cpp$")
        list(APPEND flags -std=c++17 -fno-exceptions -fno-rtti)
    endif()
    foreach(dir IN LISTS arg_INCLUDES)
        list(APPEND flags -I${dir})
    endforeach()
    if(kind STREQUAL "DLL")
        set(output ${CMAKE_BINARY_DIR}/bin/${name}.dll)
        set(link_flags /dll /noentry)
    else()
        set(output ${CMAKE_BINARY_DIR}/bin/${name}.exe)
        set(link_flags /subsystem:console /entry:${arg_ENTRY})
    endif()
    add_custom_command(
        OUTPUT ${output}
        COMMAND ${MSVC_MODE_CLANG} ${flags} -c ${source} -o ${object}
        COMMAND ${MSVC_MODE_LLD_LINK} /nologo /nodefaultlib ${link_flags} /out:${output} ${object} ${arg_LIBRARIES}
        DEPENDS ${source} ${arg_LIBRARIES} ${arg_DEPENDS}
        COMMENT "Microsoft-mode ${kind}: ${name}"
        VERBATIM)
    add_custom_target(${name} ALL DEPENDS ${output})
endfunction()
