# The generated pictures and sounds, pinned by their SHA-256: the generator
# is tuned for speed, and none of that may change a byte of what it makes
# (the browser makes the same files for itself, and the shots and replays
# compare against them). A change meant to change the data re-pins these,
# saying why in its commit.
#
#   cmake -DDATA_DIR=build/data -P tests/assets/data_digests.cmake
set(pinned
  air.bmp      43ef92e79fac554bd09422a44892b9a6295fb59f445a425cac8ea37af396474b
  flaska.bmp   db27cf5defa2666abfb70b4fa3d58d2cf626884975fccfbf35312879563878cf
  font.bmp     9b57c1796c005c8d5440b397df5aa129d994811a07ef5859fcb009d874eed671
  lahev2.bmp   74c925e07aba4aeb13dbf8141196857b84ec8eedc77cbd9a8755ef45111162ac
  oblaka.bmp   88601850a2d89d7a6df27513b2aa58b5869389a1be8f1cd9879362508118c826
  tamrisol.bmp 78803391bfe2cf4088ad103cbdfa5691a23c9bf1f17af5f0cd2cbe8828fc9f35
  tuk01.wav    9e8ec0cece6d84351fb8e99dc07fc5e253756474d1fcc7021610f9e652355299
  tuk02.wav    306c85564b4ea22a8062d184f60e3b5f515a09462ea1a6822ad39896cc7e3470
  tuk03.wav    b6e327450b0c5646c8076328354579325337159ccf90ef7ce8dabc073f8f9029
  tukm01.wav   2a05f1aad9dd0bba721b84489b526ffe393a50e79737d420bcc0b92cf82492fa
  tukm02.wav   f6981145eeddae5828dcbf97fb31a87f0e091ee71828eb7d898ba4291a710350
  tukm03.wav   17bd7eb9930ba21bf31d1a4848d4be9501da9bdc0d190799f430f967194356e8
  zblunk.wav   ebaaa0e99387bcd9b96d47faceabe76e16c8825a1c331f65175f2065f3e57bfb)

set(failed "")
while(pinned)
  list(POP_FRONT pinned name digest)
  if(NOT EXISTS "${DATA_DIR}/${name}")
    list(APPEND failed "${name}: missing")
    continue()
  endif()
  file(SHA256 "${DATA_DIR}/${name}" made)
  if(NOT made STREQUAL digest)
    list(APPEND failed "${name}: ${made}, pinned ${digest}")
  endif()
endwhile()
if(failed)
  list(JOIN failed "\n  " lines)
  message(FATAL_ERROR "generated data differs from the pinned digests:\n  ${lines}")
endif()
message(STATUS "the 13 generated files are as pinned")
