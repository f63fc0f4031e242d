# The product's folders are layers, one library each. A folder may link and include only
# its own folder and the folders its row names below; nothing links or includes upwards or
# sideways (the engine's processors never see a window or a job, the sound card never the
# engine). velvane_check_layers() fails the configure when a target's links or a file's
# #include lines break this, so the layering is a build rule, not a hope.
#
# Top-down, as in the README's layout table: each row names what stands below it.
set(VELVANE_LAYER_app waveview cli jobs detect slice repair encode album settings audio model resample sidefile platform)
set(VELVANE_LAYER_waveview slice repair settings audio model sidefile platform)
set(VELVANE_LAYER_cli jobs detect slice repair encode album settings audio model resample sidefile platform)
set(VELVANE_LAYER_jobs detect slice repair encode album settings model resample sidefile platform)
set(VELVANE_LAYER_detect slice repair settings model resample sidefile platform)
set(VELVANE_LAYER_slice repair album settings model resample sidefile platform)
set(VELVANE_LAYER_repair platform)
set(VELVANE_LAYER_encode album settings model resample sidefile platform)
set(VELVANE_LAYER_album settings model sidefile platform)
set(VELVANE_LAYER_settings model sidefile platform)
set(VELVANE_LAYER_audio model sidefile platform)
set(VELVANE_LAYER_model sidefile platform)
# Resampling and dither: below both the slice writer (CD copies) and the encoder runs
# (copies at a rate the encoder takes), which stand side by side.
set(VELVANE_LAYER_resample sidefile platform)
set(VELVANE_LAYER_sidefile platform)
set(VELVANE_LAYER_platform "")
# Only the window's folders may include the toolkit's headers.
set(VELVANE_TOOLKIT_LAYERS app waveview)

# add_subdirectory for a product folder, remembering it for the check.
macro(velvane_add_layer folder)
    add_subdirectory(${folder})
    list(APPEND VELVANE_ADDED_LAYERS ${folder})
endmacro()

# velvane_include_root(TARGET FOLDER): the target's headers are included as "FOLDER/Name.h"
# through an include root of the folder's own, so only targets that link it (directly or
# through what they link) can include them.
function(velvane_include_root target folder)
    set(root ${CMAKE_BINARY_DIR}/include/${folder})
    if(NOT EXISTS ${root}/${folder})
        file(MAKE_DIRECTORY ${root})
        file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
    endif()
    target_include_directories(${target} PUBLIC ${root})
endfunction()

function(velvane_check_layers)
    foreach(folder IN LISTS VELVANE_ADDED_LAYERS)
        get_property(targets DIRECTORY ${PROJECT_SOURCE_DIR}/${folder} PROPERTY BUILDSYSTEM_TARGETS)
        foreach(target IN LISTS targets)
            set(layer_of_${target} ${folder})
        endforeach()
        set(targets_of_${folder} ${targets})
    endforeach()
    foreach(folder IN LISTS VELVANE_ADDED_LAYERS)
        # Links.
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
        # Includes: every "folder/Name.h" a file of this folder includes.
        file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.h
             ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
        foreach(source IN LISTS sources)
            file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
            file(RELATIVE_PATH shown ${PROJECT_SOURCE_DIR} ${source})
            foreach(line IN LISTS includes)
                if(line MATCHES "#[ \t]*include[ \t]*<wx/" AND NOT folder IN_LIST VELVANE_TOOLKIT_LAYERS)
                    message(FATAL_ERROR "${shown}: ${line}: only '${VELVANE_TOOLKIT_LAYERS}' "
                            "may include the toolkit (see cmake/Layers.cmake)")
                endif()
                if(NOT line MATCHES "#[ \t]*include[ \t]*\"([a-z]+)/")
                    continue()
                endif()
                set(used ${CMAKE_MATCH_1})
                if(used STREQUAL folder OR NOT DEFINED VELVANE_LAYER_${used})
                    continue()
                endif()
                if(NOT used IN_LIST VELVANE_LAYER_${folder})
                    message(FATAL_ERROR "${shown}: ${line}: ${folder}/ may use only "
                            "'${VELVANE_LAYER_${folder}}' (see cmake/Layers.cmake)")
                endif()
            endforeach()
        endforeach()
    endforeach()
endfunction()
