# Fails when a folder of src/ includes a header of a folder above it or beside it, in the order
# src/CMakeLists.txt links the libraries. Run as: cmake -DSOURCE_DIR=<src> -P CheckLayers.cmake
set(layers platform text db context records office env signin menu menu_settings backup
           "app;install")
set(rank 0)
foreach(layer IN LISTS layers)
    foreach(folder IN LISTS layer)
        set(rank_${folder} ${rank})
    endforeach()
    math(EXPR rank "${rank} + 1")
endforeach()

set(violations "")
file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp)
foreach(source IN LISTS sources)
    string(REGEX MATCH "^[^/]+" folder "${source}")
    if(NOT DEFINED rank_${folder})
        list(APPEND violations "${source}: the folder has no place in the layers")
        continue()
    endif()
    file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^#include \"[a-z_]+/")
    foreach(line IN LISTS includes)
        string(REGEX REPLACE "^#include \"([a-z_]+)/.*" "\\1" included "${line}")
        if(NOT included STREQUAL folder AND
           (NOT DEFINED rank_${included} OR NOT rank_${included} LESS rank_${folder}))
            list(APPEND violations "${source}: ${line}")
        endif()
    endforeach()
endforeach()

if(violations)
    list(JOIN violations "\n  " text)
    message(FATAL_ERROR "Includes against the layers (${layers}):\n  ${text}")
endif()
