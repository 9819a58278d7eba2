// viewing.cpp -- the viewer's hands on the live show: pause, frame steps, jumps, the chapter line.
#include <algorithm>
#include <cmath>

#include "demo.h"
#include "screen.h"
#include "util.h"

namespace {

constexpr int CHAPTER_ROW_PIXELS = 48;      // height of one name's row in "chapters.png"
constexpr int CHAPTER_IMAGE_PIXELS = 1024;  // the image's height
constexpr float CELL_WIDTH = 160;           // design pixels a name takes along the line
constexpr float CELL_HEIGHT = 30;           // design pixels: the row's 256 x 48 at 0.625
constexpr float LINE_BOTTOM = 30;           // design pixels from the picture's bottom to the names
constexpr double FADE_MS = 500;             // the line fades out over its last half second

// GL state the viewer's passes change and put back, so the frames after them come out as before:
// scenes inherit what no scene resets.
class SavedState {
public:
    SavedState()
    {
        for (int i = 0; i < CAPS; ++i)
            enabled[i] = glIsEnabled(caps[i]);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
        glGetIntegerv(GL_BLEND_SRC, &blendSource);
        glGetIntegerv(GL_BLEND_DST, &blendDestination);
        glGetIntegerv(GL_VIEWPORT, viewport);
        for (int i = 0; i < CAPS; ++i)
            glDisable(caps[i]);
        pushFlatMatrices();
    }
    ~SavedState()
    {
        popFlatMatrices();
        glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
        glBlendFunc(static_cast<GLenum>(blendSource), static_cast<GLenum>(blendDestination));
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
        for (int i = 0; i < CAPS; ++i)
            if (enabled[i])
                glEnable(caps[i]);
        glColor4f(1, 1, 1, 1);  // as the overlay pass leaves it
    }

private:
    static constexpr int CAPS = 8;
    const GLenum caps[CAPS] = {GL_FOG, GL_LIGHTING, GL_DEPTH_TEST, GL_CULL_FACE, GL_SCISSOR_TEST, GL_BLEND, GL_TEXTURE_2D, GL_ALPHA_TEST};
    GLboolean enabled[CAPS];
    GLint texture = 0, blendSource = GL_ONE, blendDestination = GL_ZERO;
    GLint viewport[4];
};

void flatQuad(float x0, float y0, float x1, float y1)
{
    glBegin(GL_QUADS);
        glVertex3f(x0, y0, 0);
        glVertex3f(x1, y0, 0);
        glVertex3f(x1, y1, 0);
        glVertex3f(x0, y1, 0);
    glEnd();
}

}  // namespace

void Demo::obeyViewer(FrameLead& lead, double& swapMs)
{
    // A platform that hears its music itself but cannot send it elsewhere keeps the show playing on.
    if (requestCount == 0 || (heardClock && !playHeardMusicFrom) || !running) {
        requestCount = 0;
        return;
    }
    std::vector<int> starts;
    for (const TimelineEntry& entry : timeline)
        starts.push_back(entry.start);
    const int shown = tempo->elapsed();  // the frame on screen
    // Every key since the last frame counts, each from where the one before leads: Right twice
    // goes two entries on.
    bool pause = playhead.paused();
    double target = -1;
    for (int i = 0; i < requestCount; ++i) {
        const ViewerAction action = requests[i];
        if (action == ViewerAction::PauseResume) {
            pause = !pause;
            continue;
        }
        if (!pause && (action == ViewerAction::StepBack || action == ViewerAction::StepForward))
            continue;  // steps only while paused
        const double to = actionTarget(action, starts, target >= 0 ? target : shown);
        if (to >= 0)
            target = to;
    }
    requestCount = 0;
    if (target < 0 && pause == playhead.paused())
        return;  // nothing lies that way, such as Right in the last entry

    if (pause) {
        // Stopped on a frame drawn afresh (the next one of the step grid), so that it can be kept
        // without the chapter line drawn over it.
        stopMusic();
        int at = static_cast<int>(target);
        if (target < 0) {
            const double next = actionTarget(ViewerAction::StepForward, starts, shown);
            at = next >= 0 ? static_cast<int>(next) : shown;
        }
        drawAt(at);
        if (!running)
            return;
        keepStill();
        chapterUntil = monotonicMs() + CHAPTER_LINE_MS;
        drawChapterLine(chapterUntil);
        stillHasLine = true;
        SDL_GL_SwapBuffers();
        playhead.pause(at);
        return;
    }
    if (target < 0) {
        // Resumed: the music from the frame on screen, the frames on from it as it is heard.
        chapterUntil = monotonicMs() + CHAPTER_LINE_MS;
        playMusicFrom(shown);
        lead.restartAt(shown);
        return;
    }
    // A jump while playing: silence while the show is brought there, then its first frame swapped
    // in as the music from that moment is heard.
    stopMusic();
    drawAt(static_cast<int>(target));
    if (!running)
        return;
    chapterUntil = monotonicMs() + CHAPTER_LINE_MS;
    drawChapterLine(chapterUntil);
    playMusicFrom(target);
    swapWhenHeard(target, swapMs, HUGE_VAL);
    lead.restartAt(target);
}

void Demo::whilePaused(FrameLead& lead, double& swapMs)
{
    handleEvents();
    if (requestCount > 0) {
        obeyViewer(lead, swapMs);
        return;
    }
    if (outputWidth() != stillWidth || outputHeight() != stillHeight) {
        // Resized while paused: the same moment drawn again at the new size.
        drawAt(tempo->elapsed());
        keepStill();
        stillHasLine = true;
    }
    // The line fades over the kept picture, then the picture stands alone, drawn again now and then
    // all the same: a full-screen toggle or another window may have wiped it.
    const double now = monotonicMs();
    if (stillHasLine || now - stillShownAt > STILL_REPAINT_MS) {
        showStill();
        if (now < chapterUntil)
            drawChapterLine(chapterUntil);
        else
            stillHasLine = false;
        SDL_GL_SwapBuffers();
        stillShownAt = now;
    }
    SDL_Delay(15);
}

void Demo::keepStill()
{
    // Copied into a texture of the output's size, sampled pixel for pixel when shown again.
    stillWidth = outputWidth();
    stillHeight = outputHeight();
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    if (!stillTexture)
        glGenTextures(1, &stillTexture);
    glBindTexture(GL_TEXTURE_2D, stillTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 0, 0, stillWidth, stillHeight, 0);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
}

void Demo::showStill()
{
    const SavedState saved;
    glViewport(0, 0, stillWidth, stillHeight);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, stillTexture);
    const float whole[4][4] = {{0, 0, -1, -1}, {1, 0, 1, -1}, {1, 1, 1, 1}, {0, 1, -1, 1}};
    texturedQuad(whole);
}

void Demo::drawChapterLine(double untilMs)
{
    const float fade = static_cast<float>(std::clamp((untilMs - monotonicMs()) / FADE_MS, 0.0, 1.0));
    if (fade <= 0 || current < 0)
        return;
    const SavedState saved;
    glOrtho(0, DESIGN_WIDTH, 0, DESIGN_HEIGHT, -1, 1);  // design pixels of the picture, y up
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    // A dark band for the names to stand on, whatever the scene shows there.
    glColor4f(0, 0, 0, 0.6f * fade);
    flatQuad(0, LINE_BOTTOM - 8, DESIGN_WIDTH, LINE_BOTTOM + CELL_HEIGHT + 6);

    // The current entry in the middle, its neighbours either side, dimmer the further they are.
    const float middle = DESIGN_WIDTH / 2.0f;
    const int entries = static_cast<int>(timeline.size()) - 1;
    glColor4f(1.0f, 0.75f, 0.4f, fade);
    flatQuad(middle - 0.35f * CELL_WIDTH, LINE_BOTTOM - 4, middle + 0.35f * CELL_WIDTH, LINE_BOTTOM - 2);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, chapterTexture);
    for (int entry = 0; entry < entries; ++entry) {
        const int away = std::abs(entry - current);
        const float left = middle + (static_cast<float>(entry - current) - 0.5f) * CELL_WIDTH;
        if (left + CELL_WIDTH < 0 || left > DESIGN_WIDTH)
            continue;
        const float strength = away == 0 ? 1.0f : std::max(0.25f, 0.65f - 0.1f * static_cast<float>(away));
        if (away == 0)
            glColor4f(1.0f, 0.85f, 0.6f, fade);
        else
            glColor4f(1.0f, 1.0f, 1.0f, strength * fade);
        const float top = static_cast<float>(entry * CHAPTER_ROW_PIXELS) / CHAPTER_IMAGE_PIXELS;  // the image's rows run down
        const float bottom = static_cast<float>((entry + 1) * CHAPTER_ROW_PIXELS) / CHAPTER_IMAGE_PIXELS;
        const float corners[4][4] = {{0, bottom, left, LINE_BOTTOM},
                                     {1, bottom, left + CELL_WIDTH, LINE_BOTTOM},
                                     {1, top, left + CELL_WIDTH, LINE_BOTTOM + CELL_HEIGHT},
                                     {0, top, left, LINE_BOTTOM + CELL_HEIGHT}};
        texturedQuad(corners);
    }
}
