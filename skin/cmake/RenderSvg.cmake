# Renders one SVG source into the PNGs of both skins.
#   cmake -DRSVG=<rsvg-convert> -DSVG=<source.svg> -DOUT1=<dir/name> -DOUT2=<dir/name>
#         -DWORK=<scratch dir> [-DSTATES=ON] -P RenderSvg.cmake
# OUT1 gets the image at the SVG's own size, OUT2 at twice that ("name.png").
# With STATES, the source is an icon drawn in #C8C8C8; that colour is replaced
# to make the hover, pressed, selected and disabled images ("name_hot.png"...).

foreach(var RSVG SVG OUT1 OUT2 WORK)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "RenderSvg: ${var} not set")
    endif()
endforeach()

file(READ "${SVG}" source)
get_filename_component(stem "${SVG}" NAME_WE)
file(MAKE_DIRECTORY "${WORK}")
get_filename_component(dir1 "${OUT1}" DIRECTORY)
get_filename_component(dir2 "${OUT2}" DIRECTORY)
file(MAKE_DIRECTORY "${dir1}" "${dir2}")

function(render_pair svg_file suffix)
    foreach(pass "${OUT1}${suffix}.png;1" "${OUT2}${suffix}.png;2")
        list(GET pass 0 png)
        list(GET pass 1 zoom)
        execute_process(COMMAND "${RSVG}" --zoom ${zoom} --format png --output "${png}.tmp" "${svg_file}"
                        RESULT_VARIABLE rc ERROR_VARIABLE err)
        if(NOT rc EQUAL 0)
            file(REMOVE "${png}.tmp")
            message(FATAL_ERROR "rsvg-convert failed on ${SVG}: ${err}")
        endif()
        file(RENAME "${png}.tmp" "${png}")
    endforeach()
endfunction()

if(NOT STATES)
    render_pair("${SVG}" "")
    return()
endif()

# suffix:colour ("-" is no suffix). Selected is the same picture as pushed.
foreach(state "-:#C8C8C8" "_hot:#FFFFFF" "_pushed:#3D8BFD" "_disabled:#5F5F5F")
    string(REPLACE ":" ";" state "${state}")
    list(GET state 0 suffix)
    list(GET state 1 colour)
    if(suffix STREQUAL "-")
        set(suffix "")
    endif()
    string(REGEX REPLACE "#[Cc]8[Cc]8[Cc]8" "${colour}" recoloured "${source}")
    set(tmp "${WORK}/${stem}${suffix}.svg")
    file(WRITE "${tmp}" "${recoloured}")
    render_pair("${tmp}" "${suffix}")
endforeach()
file(COPY_FILE "${OUT1}_pushed.png" "${OUT1}_selected.png")
file(COPY_FILE "${OUT2}_pushed.png" "${OUT2}_selected.png")
