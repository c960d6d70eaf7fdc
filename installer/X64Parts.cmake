# The x64 folder of the 32-bit installation (and lib/x64): the client library, the
# sample companion library and host, and the import libraries, built for x86-64
# from this same tree. Taken from the 64-bit build that VARNEL_X64_BUILD_DIR names
# (brought up to date first), or else built here in x64-parts/ with only those
# targets. Sets X64_PART_FILES, the files the installer depends on.
set(VARNEL_X64_BUILD_DIR "" CACHE PATH
    "A configured 64-bit build of this tree to take the x64 folder from (empty: build the parts here)")

if(VARNEL_X64_BUILD_DIR)
    set(x64_dir ${VARNEL_X64_BUILD_DIR})
    add_custom_target(varnel_x64_parts ALL
        COMMAND ${CMAKE_COMMAND} --build ${x64_dir} --target varnel_x64_parts
        COMMENT "64-bit parts from ${x64_dir}"
        VERBATIM)
else()
    include(ExternalProject)
    set(x64_dir ${CMAKE_BINARY_DIR}/x64-parts)
    ExternalProject_Add(varnel_x64_parts_build
        SOURCE_DIR ${PROJECT_SOURCE_DIR}
        BINARY_DIR ${x64_dir}
        CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/x86_64-w64-mingw32.cmake
                   -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE} -DVARNEL_PARTS_ONLY=ON
        BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target varnel_x64_parts
        INSTALL_COMMAND ""
        BUILD_ALWAYS ON)
    add_custom_target(varnel_x64_parts ALL DEPENDS varnel_x64_parts_build)
endif()

set(x64_programs ${x64_dir}/bin/Varnel.dll ${x64_dir}/bin/sample_companion/ZOVNativeLogging.dll
                 ${x64_dir}/bin/sample_host.exe)
set(x64_import_libraries ${x64_dir}/lib/libvarnel.dll.a ${x64_dir}/lib/Varnel.lib)
set(X64_PART_FILES ${x64_programs} ${x64_import_libraries})
install(PROGRAMS ${x64_programs} DESTINATION x64)
install(FILES ${x64_import_libraries} DESTINATION lib/x64)

# "cmake --install --strip" strips only targets of this build: these are files.
find_program(X64_STRIP x86_64-w64-mingw32-strip REQUIRED)
foreach(program IN LISTS x64_programs)
    get_filename_component(name ${program} NAME)
    install(CODE "if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${X64_STRIP}\" \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/x64/${name}\")
endif()")
endforeach()
