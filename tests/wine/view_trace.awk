# Cuts Wine's OpenGL trace (WINEDEBUG=trace+opengl) down to what the tests
# read of the game's frames: each viewport set, "viewport X Y W H", and each
# frame's camera, "camera X Y": the translation that comes right after camera
# 1's 90-degree turn, whose x is minus the player's bottle's x and y -50 minus
# its height; and each bottle's lean about z, "lean VX": its speed along x,
# six times the angle. Flushed line by line: the tests read it as the game runs.
# Lines of the focus trace (channel event) go to the file `focus` names; the
# game's own lines ("korvada: ...") pass as they are.
/:trace:event:/ { print > focus; fflush(focus); next }
/^korvada: / { print; fflush(); next }
{ gsub(/,/, "") }
/glViewport/ { print "viewport", $3, $5, $7, $9; fflush() }
turned && /glTranslatef/ { print "camera", $3, $5; fflush() }
/glRotatef/ && $5 == "0.000000" && $7 == "0.000000" && $9 == "1.000000" { print "lean", $3 * 6; fflush() }
{ turned = /glRotatef angle 90.000000 x 1.000000 y 0.000000 z 0.000000/ }
