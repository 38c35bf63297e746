# How every target of this project is compiled and which DMX library it links.

# Compile settings for our own code only: Qt's headers come in as system headers and other
# projects' code is never built with them.
add_library(dmx_flags INTERFACE)
target_compile_options(dmx_flags INTERFACE -Wall -Wextra -Wshadow
    $<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor>)
if(DMX_WERROR)
    target_compile_options(dmx_flags INTERFACE -Werror)
endif()
target_compile_definitions(dmx_flags INTERFACE QT_DISABLE_DEPRECATED_BEFORE=0x050F00)

# dmx_target(<target>...): compiles the targets with the project's warnings and definitions.
function(dmx_target)
    foreach(target ${ARGN})
        target_link_libraries(${target} PRIVATE dmx_flags)
        set_property(TARGET ${target} PROPERTY DMX_FLAGS_APPLIED ON)
    endforeach()
endfunction()

# The core calls DMXSendBox without knowing who implements it; each program picks the
# implementation with dmx_use_dmxbox. The choice is a property of the program that the
# core's link interface reads, so the library always lands after the static core on the
# link line. A program that forgets to choose fails to link naming the missing choice.
add_library(dmxbox_choice INTERFACE)
set(dmx_chosen "$<TARGET_PROPERTY:DMX_DMXBOX>")
target_link_libraries(dmxbox_choice INTERFACE
    "$<IF:$<BOOL:${dmx_chosen}>,${dmx_chosen},dmxbox-not-chosen-call-dmx_use_dmxbox>")

# dmx_use_dmxbox(<target> ola|record): `ola` sends the frames to olad (the program's own
# library), `record` keeps them in memory for the tests to read back.
function(dmx_use_dmxbox target kind)
    if(kind STREQUAL "ola")
        set(library dmxbox)
    elseif(kind STREQUAL "record")
        set(library dmxbox_record)
    else()
        message(FATAL_ERROR "dmx_use_dmxbox(${target} ${kind}): the kind is ola or record")
    endif()
    set_property(TARGET ${target} PROPERTY DMX_DMXBOX ${library})
    target_link_libraries(${target} PRIVATE dmxbox_choice)
endfunction()

# Fails the configuration when a target that compiles code under `dir` misses dmx_target.
function(dmx_check_targets dir)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target ${targets})
        get_target_property(type ${target} TYPE)
        get_target_property(applied ${target} DMX_FLAGS_APPLIED)
        if(NOT type MATCHES "INTERFACE_LIBRARY|UTILITY" AND NOT applied)
            message(FATAL_ERROR "${target} (in ${dir}) is not set up with dmx_target()")
        endif()
    endforeach()
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(subdir ${subdirs})
        dmx_check_targets(${subdir})
    endforeach()
endfunction()
