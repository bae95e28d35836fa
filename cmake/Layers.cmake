# newsadder_layer(FOLDER [BELOW folder...]): the static library newsadder_FOLDER of src/FOLDER's files.
# Its includes name their folder from src/ ("transfer/pagelock.h"), and it sees only its own folder
# and those BELOW it: a view of src/ in the build tree holds just those, so including a higher
# folder's header fails to compile. New files in the folder are picked up without editing CMake.
function(newsadder_layer folder)
    cmake_parse_arguments(LAYER "" "" "BELOW" ${ARGN})
    set(source_dir ${PROJECT_SOURCE_DIR}/src/${folder})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS
        ${source_dir}/*.cpp ${source_dir}/*.h ${source_dir}/*.ui)
    list(REMOVE_ITEM sources ${source_dir}/main.cpp)
    set(view ${PROJECT_BINARY_DIR}/layers/${folder})
    file(MAKE_DIRECTORY ${view})
    foreach(visible ${folder} ${LAYER_BELOW})
        if(NOT EXISTS ${view}/${visible})
            file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${visible} ${view}/${visible} SYMBOLIC)
        endif()
    endforeach()
    add_library(newsadder_${folder} STATIC ${sources})
    target_include_directories(newsadder_${folder} PUBLIC ${view})
    foreach(below ${LAYER_BELOW})
        target_link_libraries(newsadder_${folder} PUBLIC newsadder_${below})
    endforeach()
endfunction()
