// board.h -- a full-screen title card drawn as a glowing ring of faint additive copies.
#pragma once

#include <string>
#include <vector>

#include "boardregions.h"
#include "gl.h"
#include "scene.h"

class Board : public Scene {
public:
    // Works out where the card can show anything in the current picture, and again whenever the
    // picture changes. On a picture taller than 768 it loads the image's larger drawing.
    // Throws "Unable to load: " + the file name.
    explicit Board(const std::string& imageFile);

    void setup() override;
    void draw(Tempo& tempo) override;

    ImageAlpha alpha;  // where the image is transparent; filled before texture
    GLuint texture;    // the card's image; lives until the GL context ends

    // The ring's largest offset and its halvings, down to about 0.1 pixel.
    static constexpr int SHIFT_STEPS = 8;

private:
    void layOut();  // the regions below, for the current picture
    // The screen rectangles the card can reach with the ring at this radius.
    const std::vector<ScreenRect>& regions(float radius) const;
    // By step: the rectangles for a ring offset of at most the largest one / 2^step, all worked out
    // at construction so that nothing is allocated while the show plays.
    std::vector<ScreenRect> regionsByStep[SHIFT_STEPS];
    int layoutFor;  // the pictureChanges() count the regions were worked out for
};
