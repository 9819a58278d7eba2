// board.h -- a full-screen title card drawn as a glowing ring of faint additive copies.
#pragma once

#include <string>
#include <vector>

#include "boardregions.h"
#include "gl.h"
#include "scene.h"

class Board : public Scene {
public:
    // Works out where the card can show anything for the current viewport, which the show sets
    // once before any card is built. Throws "Unable to load: " + imageFile.
    explicit Board(const std::string& imageFile);

    void setup() override;
    void draw(Tempo& tempo) override;

    ImageAlpha alpha;  // where the image is transparent; filled before texture
    GLuint texture;    // the card's image; lives until the GL context ends

    // The ring's largest offset and its halvings, down to about 0.1 pixel.
    static constexpr int SHIFT_STEPS = 8;

private:
    // The screen rectangles the card can reach with the ring at this radius.
    const std::vector<ScreenRect>& regions(float radius) const;
    // By step: the rectangles for a ring offset of at most the largest one / 2^step, all worked out
    // at construction so that nothing is allocated while the show plays.
    std::vector<ScreenRect> regionsByStep[SHIFT_STEPS];
};
