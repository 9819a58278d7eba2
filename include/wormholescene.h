// wormholescene.h -- a curving tunnel of 50 glowing rings pulsing with the beat, and a trail of teddies.
#pragma once

#include "scene.h"
#include "teddy.h"

class WormholeScene : public Scene {
public:
    // Loads the shared teddy if no scene has yet. gentle: the beat's glow kept from flashing (see
    // drawRings).
    explicit WormholeScene(bool gentle = false);

    void setup() override;  // 80-degree projection, smooth 6-pixel points
    void setSizes() override;
    void draw(Tempo& tempo) override;  // a pure function of the show clock and the beat

    // Brightness of the beat pulse for a ring at tunnel position u (rings from the camera), given
    // the fraction of the current beat: 0 outside the band, below 1/3 inside it.
    static double pulse(double beatPhase, float u);

    Teddy teddy;
    const bool gentle;

private:
    void placeCamera(float steps) const;     // steps: show clock in 50 ms units
    void drawTeddyTrail(float steps) const;
    void drawRings(Tempo& tempo, int wholeSteps, float stepFraction) const;
};
