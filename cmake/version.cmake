# The one version of the project, in every form it is shown in, from project(VERSION a.b.c.d):
#   PELMORA_VERSION_LABEL  a.b.d        the window's version label ("Pelmora 0.1.3")
#   PELMORA_VERSION_TEXT   a.bb.dddd    the Windows version resource's text ("0.01.0003")
# and the header pelmora_version gives the code, with the desktop id (reverse DNS of the
# maker's site) that names the menu entry, the metainfo and the icon.
set(PELMORA_APP_ID example.vastrel.Pelmora)
set(PELMORA_VERSION_LABEL
    "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_TWEAK}")

function(pelmora_zero_pad out value width)
    string(LENGTH "${value}" length)
    while(length LESS width)
        string(PREPEND value "0")
        math(EXPR length "${length} + 1")
    endwhile()
    set(${out} "${value}" PARENT_SCOPE)
endfunction()
pelmora_zero_pad(minor "${PROJECT_VERSION_MINOR}" 2)
pelmora_zero_pad(revision "${PROJECT_VERSION_TWEAK}" 4)
set(PELMORA_VERSION_TEXT "${PROJECT_VERSION_MAJOR}.${minor}.${revision}")

configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in
               ${PROJECT_BINARY_DIR}/generated/pelmora/version.h @ONLY)
add_library(pelmora_version INTERFACE)
target_include_directories(pelmora_version INTERFACE ${PROJECT_BINARY_DIR}/generated)
