# The files the data generator writes: the game's data, everything the game
# reads from its folder, and the icon, which is not game data.
set(KORVADA_DATA_FILES
  air.bmp oblaka.bmp lahev2.bmp flaska.bmp font.bmp tamrisol.bmp
  tuk01.wav tuk02.wav tuk03.wav tukm01.wav tukm02.wav tukm03.wav zblunk.wav)
set(KORVADA_ICON_SIZES 16 32 48 64 128 192 256 512)
