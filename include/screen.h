// screen.h -- the picture's place in the output and the one pixel scale that every size in pixels
// (point sizes, line widths, the cards' screen regions, which image set to load) goes through.
#pragma once

#include <string>

#include "picture.h"

// Takes an output of this size (pixels): centres the 4:3 picture in it, sets the viewport to the
// picture and the pixel scale to its height over 768, and sets the point size and line width a
// scene inherits before it sets its own. Needs a current GL context.
void setOutputSize(int width, int height);

const PictureRect& picture();     // where the picture is drawn; 1024 x 768 at 0, 0 until set
int outputWidth();                // pixels, the whole drawable, bars included
int outputHeight();
float pixelScale();               // picture height / 768: exactly 1 at 768
int pictureChanges();             // how many times the output size was set: a change means redo layouts

// glPointSize and glLineWidth for sizes given in pixels of the 768-high layout. A size beyond what
// the GL implementation allows is clamped to its largest, and the first such clamp says so once on
// stderr.
void pointSize(float designPixels);
void lineWidth(float designPixels);

// Paints what lies outside the picture black: no clear colour, glow or grain shows in the bars.
// Does nothing when the picture fills the output. Leaves the viewport, scissor and clear colour as
// they were.
void blackenBars();

// The image file to load for something shown across the picture: on a picture taller than 768 the
// larger drawing of it ("name-2x.ext", twice the size each way), otherwise the file itself.
std::string imageForPicture(const std::string& file);
