# Compiler settings shared by every target of our own (not by GoogleTest).
function(project_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wno-unknown-pragmas)
    # Narrowing conversions, pointer-sized values put into 32-bit ones among them
    # (the 64-bit build's LPARAM, LRESULT, SIZE_T, UINT_PTR): each one is a cast
    # that says so. Signedness is left to -Wsign-compare.
    target_compile_options(${target} PRIVATE -Wconversion -Wno-sign-conversion)
    if(WIN32)
        # Microsoft printf semantics everywhere (see design notes): never let mingw
        # swap in its C99 stdio for ours.
        target_compile_definitions(${target} PRIVATE __USE_MINGW_ANSI_STDIO=0
                                   NOMINMAX _WIN32_WINNT=0x0600 WINVER=0x0600 STRICT)
    endif()
endfunction()
