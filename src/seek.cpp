// seek.cpp -- frames run for their effects alone, to reach a show time exactly.
#include "seek.h"

#include "gl.h"

void drawSkippedFrame(Demo& demo)
{
    GLint viewport[4];
    GLint scissor[4];
    GLint matrixMode = GL_MODELVIEW;
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetIntegerv(GL_SCISSOR_BOX, scissor);
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    const GLboolean scissorOn = glIsEnabled(GL_SCISSOR_TEST);

    // The viewport squeezes the geometry into the pixel; the scissor holds the clear, wide lines
    // and large points there too (a title card sets its own scissor, inside the viewport anyway).
    glViewport(viewport[0], viewport[1], 1, 1);
    glScissor(viewport[0], viewport[1], 1, 1);
    glEnable(GL_SCISSOR_TEST);
#ifndef __EMSCRIPTEN__
    // A clip plane no vertex passes (-w >= 0 in eye space, set with the identity model-view)
    // drops every primitive before points and lines are widened and triangles set up: a skipped
    // frame then costs a fifth of what the viewport alone leaves. No scene uses clip planes; the
    // browser's GL has none.
    const GLdouble nothing[4] = {0, 0, 0, -1};
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glClipPlane(GL_CLIP_PLANE0, nothing);
    glPopMatrix();
    glEnable(GL_CLIP_PLANE0);
    glMatrixMode(matrixMode);
#endif
    demo.drawFrame();
#ifndef __EMSCRIPTEN__
    glDisable(GL_CLIP_PLANE0);
#endif

    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    glScissor(scissor[0], scissor[1], scissor[2], scissor[3]);
    if (scissorOn)
        glEnable(GL_SCISSOR_TEST);
    else
        glDisable(GL_SCISSOR_TEST);
}
