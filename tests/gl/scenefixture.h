// scenefixture.h -- a test fixture for one scene: stand-in files, a started clock, the scene set
// up, and frames drawn at chosen show times into a fresh recording.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "glrecorder.h"
#include "scenefolder.h"
#include "tempo.h"

template <class SceneType>
struct SceneFixture : ::testing::Test {
    SceneFixture() : tempo(120, 0)
    {
        glrec::reset();
        glrec::setClock(0);
        tempo.start();
        scene.setup();
    }

    // Draws one frame at show time showMs; the recording then holds that frame alone.
    void drawAt(int showMs)
    {
        glrec::reset();
        glrec::setClock(static_cast<std::uint32_t>(showMs));
        scene.draw(tempo);
    }

    SceneFolder folder;  // first: the scene loads its files from it
    SceneType scene;
    Tempo tempo;
};
