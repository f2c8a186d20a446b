# The files the data generator writes: the game's data, everything the game
# reads from its folder, and the icon, which is not game data.
set(KORVADA_DATA_FILES
  air.bmp oblaka.bmp lahev2.bmp flaska.bmp font.bmp tamrisol.bmp
  tuk01.wav tuk02.wav tuk03.wav tukm01.wav tukm02.wav tukm03.wav zblunk.wav)
set(KORVADA_ICON_SIZES 16 32 48 64 128 192 256 512)
# The generator's sources that make the game's data, for the desktop program
# and for the browser's.
set(KORVADA_DATAGEN_SOURCES game_data.cpp raster.cpp stroke_font.cpp pictures.cpp sounds.cpp)
list(TRANSFORM KORVADA_DATAGEN_SOURCES PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
