# Writes the NSIS file lists of an installation folder laid out by
# "cmake --install": install-files.nsh (SetOutPath and File for every file) and
# uninstall-files.nsh (Delete for every file, then RMDir for every folder, deepest
# first). RMDir without /r leaves a folder that holds anything the user added.
#   cmake -DSTAGE_DIR=<folder> -DLISTS_DIR=<folder> -P NsisFileLists.cmake
if(NOT STAGE_DIR OR NOT LISTS_DIR)
    message(FATAL_ERROR "STAGE_DIR and LISTS_DIR must be given")
endif()
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${STAGE_DIR}" "${STAGE_DIR}/*")
if(NOT files)
    message(FATAL_ERROR "nothing is installed in ${STAGE_DIR}")
endif()
list(SORT files)

set(install_lines "")
set(uninstall_lines "")
set(folders "")
set(current_folder "-")
foreach(file IN LISTS files)
    get_filename_component(folder "${file}" DIRECTORY)
    string(REPLACE "/" "\\" windows_file "${file}")
    if(NOT folder STREQUAL current_folder)
        set(current_folder "${folder}")
        if(folder STREQUAL "")
            string(APPEND install_lines "SetOutPath \"$INSTDIR\"\n")
        else()
            string(REPLACE "/" "\\" windows_folder "${folder}")
            string(APPEND install_lines "SetOutPath \"$INSTDIR\\${windows_folder}\"\n")
        endif()
    endif()
    string(APPEND install_lines "File \"${STAGE_DIR}/${file}\"\n")
    string(APPEND uninstall_lines "Delete \"$INSTDIR\\${windows_file}\"\n")
    # The folder and each of its parents.
    while(NOT folder STREQUAL "")
        list(APPEND folders "${folder}")
        get_filename_component(folder "${folder}" DIRECTORY)
    endwhile()
endforeach()

list(REMOVE_DUPLICATES folders)
list(SORT folders)
list(REVERSE folders) # children sort after their parents: reversed, they come first
foreach(folder IN LISTS folders)
    string(REPLACE "/" "\\" windows_folder "${folder}")
    string(APPEND uninstall_lines "RMDir \"$INSTDIR\\${windows_folder}\"\n")
endforeach()

file(WRITE "${LISTS_DIR}/install-files.nsh" "; Generated from ${STAGE_DIR}\n${install_lines}")
file(WRITE "${LISTS_DIR}/uninstall-files.nsh" "; Generated from ${STAGE_DIR}\n${uninstall_lines}")
