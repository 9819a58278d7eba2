// board.h -- a full-screen title card drawn as a glowing ring of faint additive copies.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "boardregions.h"
#include "gl.h"
#include "scene.h"

class Board : public Scene {
public:
    explicit Board(const std::string& imageFile);  // throws "Unable to load: " + imageFile
    ~Board() override;

    void setup() override;
    void draw(Tempo& tempo) override;

    ImageAlpha alpha;  // where the image is transparent; filled before texture
    GLuint texture;    // the card's image; lives until the GL context ends

private:
    // The screen rectangles the card can reach in the current viewport with the ring at this radius,
    // worked out once per viewport and step of radius.
    const std::vector<ScreenRect>& regions(float radius);
    std::map<float, std::vector<ScreenRect>> regionsByShift;
    GLint regionsViewport[4] = {0, 0, 0, 0};
};
