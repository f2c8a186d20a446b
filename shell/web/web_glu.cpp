// The one GLU function the game may call that the browser's OpenGL emulation
// lacks. The game's own pictures never take this path (they are not
// mipmapped), but the texture set links it.

#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

GLint GLAPIENTRY gluBuild2DMipmaps(GLenum target, GLint, GLsizei width, GLsizei height, GLenum format, GLenum type,
                                   const void* data) {
    // WebGL takes an internal format equal to the pixels' own format only,
    // and mipmaps only for sides that are powers of two, as the pictures' are.
    glTexImage2D(target, 0, static_cast<GLint>(format), width, height, 0, format, type, data);
    glGenerateMipmap(target);
    return 0;
}
