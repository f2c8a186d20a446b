# The generated header with the game's data files, for the places of the
# desktop platform being built (linux/ or win32/).
include(${PROJECT_SOURCE_DIR}/tools/datagen/data_files.cmake)
list(TRANSFORM KORVADA_DATA_FILES PREPEND "\"" OUTPUT_VARIABLE korvada_data_file_list)
list(TRANSFORM korvada_data_file_list APPEND "\"")
list(JOIN korvada_data_file_list ", " korvada_data_file_list)
configure_file(${PROJECT_SOURCE_DIR}/cmake/korvada_data_files.h.in ${KORVADA_GENERATED_DIR}/korvada_data_files.h @ONLY)
