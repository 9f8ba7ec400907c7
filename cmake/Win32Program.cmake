# Settings shared by every Windows program of the project: 32-bit GUI programs
# that a Windows 95 machine loads, linked statically so that no MinGW DLL is
# needed beside them.
set(WIN95_DEFINES WINVER=0x0400 _WIN32_WINNT=0x0400 _WIN32_IE=0x0300 STRICT
    WIN32_LEAN_AND_MEAN)
set(WIN95_LINK_OPTIONS -static -static-libgcc -static-libstdc++ -mwindows
    -Wl,--subsystem,windows:4.0 -Wl,--major-os-version,4 -Wl,--minor-os-version,0)

function(tamblit_win32_target target)
    target_compile_definitions(${target} PRIVATE ${WIN95_DEFINES})
    get_target_property(kind ${target} TYPE)
    if(kind STREQUAL "EXECUTABLE")
        target_link_options(${target} PRIVATE ${WIN95_LINK_OPTIONS})
    endif()
endfunction()

target_compile_definitions(snapcore PUBLIC ${WIN95_DEFINES})

# Makes one program <name>.exe of each <name>_win.cpp in the calling folder,
# linked with the snapshot program's library, into <build>/<outdir>; further
# arguments are sources every one of them gets (a resource script).
function(tamblit_programs_per_file outdir)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_win.cpp)
    foreach(src ${sources})
        get_filename_component(name ${src} NAME_WE)
        string(REGEX REPLACE "_win$" "" name ${name})
        add_executable(${name} WIN32 ${src} ${ARGN})
        tamblit_win32_target(${name})
        target_link_libraries(${name} PRIVATE snapwin)
        set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/${outdir})
    endforeach()
endfunction()

# The version resource, made from the project's version number, for a program
# target; SETUP gives the installer's texts.
set(VERSION_RC ${CMAKE_BINARY_DIR}/generated/version_info.rc)
configure_file(${CMAKE_SOURCE_DIR}/snap/res/version_info.rc.in ${VERSION_RC} @ONLY)
function(tamblit_version_resource target)
    target_sources(${target} PRIVATE ${VERSION_RC})
    if(ARGV1 STREQUAL "SETUP")
        target_compile_definitions(${target} PRIVATE $<$<COMPILE_LANGUAGE:RC>:TAMBLIT_SETUP>)
    endif()
endfunction()
