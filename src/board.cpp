// board.cpp -- title cards: one image drawn as a shimmering ring of twenty faint additive copies.
#include "board.h"

#include <cmath>

#include "boardregions.h"
#include "screen.h"
#include "tempo.h"
#include "util.h"

namespace {
// The quad every copy is drawn on (before its ring offset), and how far the ring ever moves a copy:
// k <= 1 and cos u <= 1.
const CardPlacement PLACEMENT = {-0.95f, 0.95f, -0.7f, 0.7f, 0.02f};
}

Board::Board(const std::string& imageFile) : texture(loadTexture(imageForPicture(imageFile), alpha)), layoutFor(-1)
{
    layOut();
}

void Board::layOut()
{
    const PictureRect& view = picture();
    CardPlacement placement = PLACEMENT;
    for (int step = 0; step < SHIFT_STEPS; ++step) {
        regionsByStep[step] = boardRegions(alpha, placement, view.x, view.y, view.width, view.height);
        placement.maxShift /= 2;
    }
    layoutFor = pictureChanges();
}

void Board::setup()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0.3f, 0.2f, 0.15f, 1.0f);
}

void Board::draw(Tempo& tempo)
{
    // The ring's radius pulses with the show clock and halves every 20 s, so late cards stand still.
    const float u = static_cast<float>(tempo.elapsed()) * 0.0005f;
    const double k = std::pow(2.0, -tempo.elapsed() * static_cast<double>(0.00005f));
    const float r = static_cast<float>(k * ((std::cos(u) + 1) * 0.01));

    if (layoutFor != pictureChanges())  // the window was resized
        layOut();

    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(0.6f, 0.3f, 0.1f, 0.2f);
    glBindTexture(GL_TEXTURE_2D, texture);

    float dx[20], dy[20];
    for (int i = 0; i < 20; ++i) {
        const double a = i * (PI / 5);  // a tenth of a turn: twice round the circle
        dx[i] = static_cast<float>(std::cos(a) * r);
        dy[i] = static_cast<float>(std::sin(a) * r);
    }

    // All twenty copies, once inside each region where the card shows anything: every pixel still
    // gets its copies in the same order, and the empty rest (most of the card) costs nothing.
    glEnable(GL_SCISSOR_TEST);
    for (const ScreenRect& region : regions(r)) {
        glScissor(region.x, region.y, region.width, region.height);
        glBegin(GL_QUADS);
            for (int i = 0; i < 20; ++i) {
                glTexCoord2f(0.0f, 1.0f); glVertex3f(dx[i] + PLACEMENT.left, dy[i] + PLACEMENT.bottom, 0.0f);
                glTexCoord2f(1.0f, 1.0f); glVertex3f(dx[i] + PLACEMENT.right, dy[i] + PLACEMENT.bottom, 0.0f);
                glTexCoord2f(1.0f, 0.0f); glVertex3f(dx[i] + PLACEMENT.right, dy[i] + PLACEMENT.top, 0.0f);
                glTexCoord2f(0.0f, 0.0f); glVertex3f(dx[i] + PLACEMENT.left, dy[i] + PLACEMENT.top, 0.0f);
            }
        glEnd();
    }
    glDisable(GL_SCISSOR_TEST);
}

const std::vector<ScreenRect>& Board::regions(float radius) const
{
    // The ring shrinks as the show goes on, and so do the margins it needs: the smallest of the
    // halving steps that still holds this radius.
    int step = 0;
    float shift = PLACEMENT.maxShift;
    while (step + 1 < SHIFT_STEPS && shift / 2 >= radius) {
        shift /= 2;
        ++step;
    }
    return regionsByStep[step];
}
