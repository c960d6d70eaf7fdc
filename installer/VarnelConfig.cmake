# The CMake package of the Varnel client library, in lib/cmake/Varnel of the
# installation folder:
#
#   find_package(Varnel CONFIG REQUIRED)
#   target_link_libraries(my_host PRIVATE Varnel::Varnel)
#
# Varnel::Varnel is Varnel.dll of the consumer's bitness (the installation folder's
# for 32-bit programs, its x64 folder's for 64-bit ones) with varnel.h, and the
# import library of the consumer's toolchain: Varnel.lib for Visual C++ and other
# compilers in Microsoft mode, libvarnel.dll.a for mingw. A host ships (or finds)
# that Varnel.dll beside its program, e.g. by copying $<TARGET_FILE:Varnel::Varnel>.
get_filename_component(_varnel_prefix "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)

if(NOT WIN32)
    set(Varnel_FOUND FALSE)
    set(Varnel_NOT_FOUND_MESSAGE "Varnel is a Windows library: configure with a Windows compiler")
    return()
endif()
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(_varnel_arch "x64/")
elseif(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(_varnel_arch "")
else()
    set(Varnel_FOUND FALSE)
    set(Varnel_NOT_FOUND_MESSAGE "enable C or C++ before find_package(Varnel): its bitness chooses the library")
    return()
endif()
if(MSVC OR CMAKE_C_SIMULATE_ID STREQUAL "MSVC" OR CMAKE_CXX_SIMULATE_ID STREQUAL "MSVC")
    set(_varnel_implib "${_varnel_prefix}/lib/${_varnel_arch}Varnel.lib")
else()
    set(_varnel_implib "${_varnel_prefix}/lib/${_varnel_arch}libvarnel.dll.a")
endif()
set(_varnel_dll "${_varnel_prefix}/${_varnel_arch}Varnel.dll")

foreach(_varnel_file IN ITEMS "${_varnel_dll}" "${_varnel_implib}" "${_varnel_prefix}/include/varnel.h")
    if(NOT EXISTS "${_varnel_file}")
        set(Varnel_FOUND FALSE)
        set(Varnel_NOT_FOUND_MESSAGE "the installation lacks ${_varnel_file}")
        return()
    endif()
endforeach()

if(NOT TARGET Varnel::Varnel)
    add_library(Varnel::Varnel SHARED IMPORTED)
    set_target_properties(Varnel::Varnel PROPERTIES
        IMPORTED_LOCATION "${_varnel_dll}"
        IMPORTED_IMPLIB "${_varnel_implib}"
        INTERFACE_INCLUDE_DIRECTORIES "${_varnel_prefix}/include")
endif()
set(Varnel_FOUND TRUE)
unset(_varnel_prefix)
unset(_varnel_arch)
unset(_varnel_implib)
unset(_varnel_dll)
unset(_varnel_file)
