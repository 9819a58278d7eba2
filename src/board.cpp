// board.cpp -- title cards: one image drawn as a shimmering ring of twenty faint additive copies.
#include "board.h"

#include <cmath>

#include "tempo.h"
#include "util.h"

Board::Board(const std::string& imageFile) : texture(loadTexture(imageFile))
{
}

Board::~Board()
{
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

    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(0.6f, 0.3f, 0.1f, 0.2f);
    glBindTexture(GL_TEXTURE_2D, texture);
    glBegin(GL_QUADS);
        for (int i = 0; i < 20; ++i) {
            const double a = i * 0.6283185307;  // a tenth of a turn: twice round the circle
            const float dx = static_cast<float>(std::cos(a) * r);
            const float dy = static_cast<float>(std::sin(a) * r);
            glTexCoord2f(0.0f, 1.0f); glVertex3f(dx - 0.95f, dy - 0.7f, 0.0f);
            glTexCoord2f(1.0f, 1.0f); glVertex3f(dx + 0.95f, dy - 0.7f, 0.0f);
            glTexCoord2f(1.0f, 0.0f); glVertex3f(dx + 0.95f, dy + 0.7f, 0.0f);
            glTexCoord2f(0.0f, 0.0f); glVertex3f(dx - 0.95f, dy + 0.7f, 0.0f);
        }
    glEnd();
}
