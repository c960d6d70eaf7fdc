# add_unit_test(<name> SOURCES <files...> [LIBS <targets...>] [PROPERTIES <ctest props...>])
# One GoogleTest executable; every test case becomes a CTest test. In the Windows
# build the cases are listed and run under Wine (CMAKE_CROSSCOMPILING_EMULATOR),
# so discovery happens at test time, when the Wine prefix exists.
function(add_unit_test name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} gtest gtest_main)
    project_warnings(${name})
    if(WIN32)
        # Console subsystem: test output goes to CTest, never to a message box.
        target_link_options(${name} PRIVATE -mconsole)
    endif()
    if(T_PROPERTIES)
        gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                             PROPERTIES ${T_PROPERTIES})
    else()
        gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60)
    endif()
endfunction()
