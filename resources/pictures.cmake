# The window's pictures, drawn at build time by a small generator of ours, its help pages
# and its desktop entry. Included from resources/CMakeLists.txt.

set(VELVANE_PAGES manual.html index.html)
foreach(page ${VELVANE_PAGES})
    configure_file(${CMAKE_CURRENT_SOURCE_DIR}/${page} ${VELVANE_RESOURCE_OUTPUT_DIR}/${page} COPYONLY)
    install(FILES ${VELVANE_RESOURCE_OUTPUT_DIR}/${page} DESTINATION ${VELVANE_DATA_DIR})
endforeach()

if(VELVANE_GUI)
    add_executable(velvane_make_pictures generator/MakePictures.cpp)
    set_target_properties(velvane_make_pictures PROPERTIES
                          RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    target_include_directories(velvane_make_pictures PRIVATE ${PROJECT_SOURCE_DIR})
    target_link_libraries(velvane_make_pictures PRIVATE wx)

    set(VELVANE_PICTURES
        ${VELVANE_RESOURCE_OUTPUT_DIR}/mainback.jpg
        ${VELVANE_RESOURCE_OUTPUT_DIR}/splash.bmp
        ${VELVANE_RESOURCE_OUTPUT_DIR}/velvane.png)
    # Leak checks off: a sanitizer build must not fail on the toolkit's start-up caches.
    add_custom_command(OUTPUT ${VELVANE_PICTURES}
        COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
                $<TARGET_FILE:velvane_make_pictures> ${VELVANE_RESOURCE_OUTPUT_DIR}
        DEPENDS velvane_make_pictures
        COMMENT "Drawing the window's pictures")
    add_custom_target(velvane_pictures ALL DEPENDS ${VELVANE_PICTURES})
    add_dependencies(programs velvane_pictures)

    install(FILES ${VELVANE_RESOURCE_OUTPUT_DIR}/mainback.jpg ${VELVANE_RESOURCE_OUTPUT_DIR}/splash.bmp
            DESTINATION ${VELVANE_DATA_DIR})
    install(FILES ${VELVANE_RESOURCE_OUTPUT_DIR}/velvane.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps)
    install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/velvane.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
endif()
