# Fails when a file under src/ includes a header of a higher layer (or of a peer layer).
#   cmake -DQV_SOURCE_DIR=<repo> [-DQV_REPORT_ONLY=ON] -P cmake/check_layers.cmake
# Layers from the bottom; folders of one rank are peers and may not include each other. A folder
# may include its own headers and any folder of a lower rank.
set(QV_LAYERS
    "platform"
    "model"
    "settings"
    "codecs"
    "sources"
    "image"
    "ui"
    "viewer"
    "tools;output"
    "app")

if(NOT QV_SOURCE_DIR)
    message(FATAL_ERROR "QV_SOURCE_DIR is not set")
endif()

set(rank 0)
foreach(layer IN LISTS QV_LAYERS)
    foreach(folder IN LISTS layer)
        set(rank_${folder} ${rank})
    endforeach()
    math(EXPR rank "${rank} + 1")
endforeach()

file(GLOB_RECURSE files RELATIVE "${QV_SOURCE_DIR}/src" "${QV_SOURCE_DIR}/src/*.h" "${QV_SOURCE_DIR}/src/*.cpp")
list(SORT files)
set(upward 0)
set(unknown "")
foreach(file IN LISTS files)
    string(REGEX MATCH "^[^/]+" from "${file}")
    if(NOT DEFINED rank_${from})
        list(APPEND unknown "${from}")
        continue()
    endif()
    file(STRINGS "${QV_SOURCE_DIR}/src/${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"/]+/")
    foreach(line IN LISTS lines)
        string(REGEX REPLACE "^[^\"]*\"([^\"/]+)/.*$" "\\1" to "${line}")
        if(to STREQUAL from OR NOT DEFINED rank_${to})
            continue()
        endif()
        if(NOT rank_${to} LESS rank_${from})
            math(EXPR upward "${upward} + 1")
            string(REGEX REPLACE "^[^\"]*\"([^\"]+)\".*$" "\\1" header "${line}")
            message(STATUS "layers: src/${file} (${from}) includes ${header} (${to})")
        endif()
    endforeach()
endforeach()
list(REMOVE_DUPLICATES unknown)
if(unknown)
    message(FATAL_ERROR "layers: folders without a layer: ${unknown}; add them to QV_LAYERS in cmake/check_layers.cmake")
endif()
message(STATUS "layers: ${upward} include(s) point up")
if(upward GREATER 0 AND NOT QV_REPORT_ONLY)
    message(FATAL_ERROR "layers: a lower layer includes a higher one (see ARCHITECTURE.md)")
endif()
