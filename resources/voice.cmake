# Voice messages: spoken by espeak-ng at build time and stored by sox as 44.1 kHz 16-bit
# stereo WAV, beside the programs and in the install. Included from CMakeLists.txt.
find_program(VELVANE_ESPEAK espeak-ng)
find_program(VELVANE_SOX sox)
if(NOT VELVANE_ESPEAK OR NOT VELVANE_SOX)
    message(WARNING "espeak-ng or sox is missing: the voice messages are not made")
    return()
endif()

set(VELVANE_VOICE_MESSAGES
    "wavside1|Side one has been sliced."
    "wavside2|Side two has been sliced."
    "mp3side1|Side one has been encoded."
    "mp3side2|Side two has been encoded."
)
set(voice_files)
foreach(message IN LISTS VELVANE_VOICE_MESSAGES)
    string(REPLACE "|" ";" parts "${message}")
    list(GET parts 0 name)
    list(GET parts 1 words)
    set(spoken ${CMAKE_CURRENT_BINARY_DIR}/${name}.spoken.wav)
    set(wav ${VELVANE_RESOURCE_OUTPUT_DIR}/${name}.wav)
    add_custom_command(
        OUTPUT ${wav}
        COMMAND ${VELVANE_ESPEAK} -w ${spoken} ${words}
        COMMAND ${VELVANE_SOX} ${spoken} -r 44100 -c 2 -b 16 -e signed-integer ${wav}
        COMMAND ${CMAKE_COMMAND} -E rm -f ${spoken}
        DEPENDS ${CMAKE_CURRENT_LIST_FILE}
        COMMENT "Speaking voice message ${name}.wav"
        VERBATIM)
    list(APPEND voice_files ${wav})
endforeach()
add_custom_target(voice_messages ALL DEPENDS ${voice_files})
add_dependencies(programs voice_messages)
install(FILES ${voice_files} DESTINATION ${VELVANE_DATA_DIR})
