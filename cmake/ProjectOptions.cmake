# Compiler settings shared by every target of our own (not by GoogleTest).
function(project_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wno-unknown-pragmas)
    if(WIN32)
        # Microsoft printf semantics everywhere (see design notes): never let mingw
        # swap in its C99 stdio for ours.
        target_compile_definitions(${target} PRIVATE __USE_MINGW_ANSI_STDIO=0
                                   NOMINMAX _WIN32_WINNT=0x0600 WINVER=0x0600 STRICT)
    endif()
endfunction()
