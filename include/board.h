// board.h -- a full-screen title card drawn as a glowing ring of faint additive copies.
#pragma once

#include <string>

#include "gl.h"
#include "scene.h"

class Board : public Scene {
public:
    explicit Board(const std::string& imageFile);  // throws "Unable to load: " + imageFile
    ~Board() override;

    void setup() override;
    void draw(Tempo& tempo) override;

    GLuint texture;  // the card's image; lives until the GL context ends
};
