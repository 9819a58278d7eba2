// riskpicture.h -- the flash risk of a show as one picture: a row per running-order entry, a cell per second.
#pragma once

#include <string>
#include <vector>

#include "flashrules.h"

// Per whole second of show time: the worst of every one-second span that overlaps it.
struct SecondCell {
    bool analysed = false;  // some frame of the run falls in this second
    float rate = 0;         // general flashes a second over a quarter of the worst window
    float share = 0;        // of that window flashing more than three times
    bool fails = false;     // the general rule fails
    bool redFails = false;  // the red rule fails
};

// The cells for seconds 0 .. showSeconds - 1 from the results per frame (frameMs: each frame's show time).
std::vector<SecondCell> secondCells(const flash::RuleResult& general, const flash::RuleResult& red,
                                    const std::vector<int>& frameMs, int showSeconds);

// Writes the picture as PNG: a title line and a summary line, then per running-order entry its name and start and one
// cell per second, coloured from grey (not analysed) and dark green (no flash) through yellow to red
// (fails); a magenta bar under a cell where red flashes fail. Throws std::runtime_error if it cannot.
void writeRiskPicture(const std::string& path, const std::string& title, const std::string& summary,
                      const std::vector<SecondCell>& cells);
