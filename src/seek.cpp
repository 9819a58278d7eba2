// seek.cpp -- frames run for their effects alone, to reach a show time exactly.
#include "seek.h"

#include "gl.h"
#include "scene.h"
#include "viewer.h"

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

namespace {
std::vector<int> entryStarts(const Demo& demo)
{
    std::vector<int> starts;
    for (const TimelineEntry& entry : demo.timeline)
        starts.push_back(entry.start);
    return starts;
}
}  // namespace

void Demo::seekTo(int showMs)
{
    // Each earlier entry runs its first frame: its setup and the GL state its frames leave to later
    // entries. The entry holding showMs runs its first frame, which latches its start, and, if it
    // builds up, every later frame a play at VIEWER_FPS draws before showMs, so that its streams,
    // marks and flying shards are what such a play shows; setup puts every such scene back as it
    // was built.
    const int entry = entryAt(entryStarts(*this), showMs);
    current = -1;
    for (int i = 0; i < entry; ++i) {
        holdShowTime(timeline[i].start);
        advanceTimeline();
        drawSkippedFrame(*this);
    }
    const long first = (static_cast<long>(timeline[entry].start) * VIEWER_FPS + 999) / 1000;  // the entry's first frame
    const bool everyFrame = timeline[entry].scene->buildsUp();
    for (long frame = first; viewerFrameMs(frame) < showMs; ++frame) {
        holdShowTime(viewerFrameMs(frame));
        advanceTimeline();
        drawSkippedFrame(*this);
        if (!everyFrame)
            break;
    }
}

void Demo::drawAt(int showMs)
{
    // Onwards within the entry on screen, or to the next one's start, the show as it stands is what
    // a play through gives: no seek is needed.
    const bool onwards = current >= 0 && showMs > tempo->elapsed() && showMs <= timeline[current + 1].start;
    if (!onwards)
        seekTo(showMs);
    holdShowTime(showMs);
    if (advanceTimeline())
        drawFrame();
    else
        running = false;  // only the show's end lies there
}
