# The product's folders are layers. Each may link targets of its own folder and of the
# folders it names below; nothing links upwards or sideways (the engine never needs a
# sound card, the sound card never the engine). velvane_check_layers() fails the configure
# when a target breaks this, so the layering is a build rule, not a hope.
set(VELVANE_LAYER_platform "")
set(VELVANE_LAYER_wav platform)
set(VELVANE_LAYER_audio wav platform)
set(VELVANE_LAYER_engine wav platform)
set(VELVANE_LAYER_cli engine audio wav platform)
set(VELVANE_LAYER_waveview engine audio wav platform)
set(VELVANE_LAYER_app waveview cli engine audio wav platform)

# add_subdirectory for a product folder, remembering it for the check.
macro(velvane_add_layer folder)
    add_subdirectory(${folder})
    list(APPEND VELVANE_ADDED_LAYERS ${folder})
endmacro()

function(velvane_check_layers)
    foreach(folder IN LISTS VELVANE_ADDED_LAYERS)
        get_property(targets DIRECTORY ${PROJECT_SOURCE_DIR}/${folder} PROPERTY BUILDSYSTEM_TARGETS)
        foreach(target IN LISTS targets)
            set(layer_of_${target} ${folder})
        endforeach()
        set(targets_of_${folder} ${targets})
    endforeach()
    foreach(folder IN LISTS VELVANE_ADDED_LAYERS)
        foreach(target IN LISTS targets_of_${folder})
            get_target_property(links ${target} LINK_LIBRARIES)
            get_target_property(interface_links ${target} INTERFACE_LINK_LIBRARIES)
            foreach(link IN LISTS links interface_links)
                string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" link "${link}")
                if(NOT DEFINED layer_of_${link} OR layer_of_${link} STREQUAL folder)
                    continue()
                endif()
                if(NOT layer_of_${link} IN_LIST VELVANE_LAYER_${folder})
                    message(FATAL_ERROR "${folder}/ target ${target} links ${link} of "
                            "${layer_of_${link}}/: ${folder}/ may use only "
                            "'${VELVANE_LAYER_${folder}}' (see cmake/Layers.cmake)")
                endif()
            endforeach()
        endforeach()
    endforeach()
endfunction()
