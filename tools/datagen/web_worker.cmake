# The data generator for a Web Worker in the browser program's page
# (korvada-datagen.js and .wasm, run by shell/web's korvada-game-data.js):
# the same files, byte for byte, as the desktop build's data folder. The main
# build includes this for the web.
include(${CMAKE_CURRENT_LIST_DIR}/data_files.cmake)
set(datagen_worker ${CMAKE_CURRENT_LIST_DIR}/worker.js)
set(datagen_worker_start ${CMAKE_CURRENT_LIST_DIR}/worker_pre.js)
add_executable(korvada-datagen-web ${CMAKE_CURRENT_LIST_DIR}/worker_main.cpp ${KORVADA_DATAGEN_SOURCES})
target_link_libraries(korvada-datagen-web PRIVATE korvada_glyphs)
target_link_options(korvada-datagen-web PRIVATE -sENVIRONMENT=worker -sALLOW_MEMORY_GROWTH=1
  -sINVOKE_RUN=0 -sEXPORTED_RUNTIME_METHODS=callMain "SHELL:--pre-js ${datagen_worker_start}"
  "SHELL:--post-js ${datagen_worker}")
set_target_properties(korvada-datagen-web PROPERTIES
  OUTPUT_NAME korvada-datagen
  RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}
  LINK_DEPENDS "${datagen_worker};${datagen_worker_start}")
# Debian's emcc runs its optimiser under node and needs Debian's node modules,
# which a node from elsewhere does not look for.
if(EXISTS /usr/share/nodejs/acorn)
  set_target_properties(korvada-datagen-web PROPERTIES
    CXX_LINKER_LAUNCHER "${CMAKE_COMMAND};-E;env;NODE_PATH=/usr/share/nodejs")
endif()
