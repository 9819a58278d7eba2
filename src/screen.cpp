// screen.cpp -- the picture in the output, its pixel scale, scaled point and line sizes, the bars.
#include "screen.h"

#include <iostream>

#include "gl.h"

namespace {
PictureRect current = {0, 0, DESIGN_WIDTH, DESIGN_HEIGHT};
int totalWidth = DESIGN_WIDTH;   // pixels
int totalHeight = DESIGN_HEIGHT;
float scale = 1.0f;
int changes = 0;
bool toldClamp = false;
float largestPoint = 0;  // pixels, what GL draws at most; 0 while unknown (no clamping then)
float largestLine = 0;

// The largest size GL allows for this range query (a pair: smallest, largest).
float largestAllowed(GLenum range)
{
    GLfloat limits[2] = {0, 0};
    glGetFloatv(range, limits);
    return limits[1];
}

// Scaled; at scale 1 the size passes through unchanged, bit for bit.
float scaled(float designPixels, float largest, const char* what)
{
    const float pixels = scale == 1.0f ? designPixels : designPixels * scale;
    if (largest > 0 && pixels > largest) {
        if (!toldClamp) {
            std::cerr << "bearings: " << what << " of " << pixels << " pixels is more than this GL draws; using "
                      << largest << " (further sizes are clamped silently)" << std::endl;
            toldClamp = true;
        }
        return largest;
    }
    return pixels;
}
}  // namespace

void setOutputSize(int width, int height)
{
    totalWidth = width;
    totalHeight = height;
    current = fitPicture(width, height);
    scale = pixelScaleFor(current.height);
    ++changes;
    largestPoint = largestAllowed(GL_POINT_SIZE_RANGE);
    largestLine = largestAllowed(GL_ALIASED_LINE_WIDTH_RANGE);
    glViewport(current.x, current.y, current.width, current.height);
    pointSize(1.0f);
    lineWidth(1.0f);
}

const PictureRect& picture() { return current; }
int outputWidth() { return totalWidth; }
int outputHeight() { return totalHeight; }
float pixelScale() { return scale; }
int pictureChanges() { return changes; }

void pointSize(float designPixels)
{
    glPointSize(scaled(designPixels, largestPoint, "a point size"));
}

void lineWidth(float designPixels)
{
    glLineWidth(scaled(designPixels, largestLine, "a line width"));
}

void blackenBars()
{
    if (current.width == totalWidth && current.height == totalHeight)
        return;
    GLfloat clearColour[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
    const bool scissored = glIsEnabled(GL_SCISSOR_TEST);
    GLint scissor[4];
    glGetIntegerv(GL_SCISSOR_BOX, scissor);

    // Two bars: left and right of the picture, or below and above it.
    const bool sideBars = current.height == totalHeight;
    const int bars[2][4] = {
        {0, 0, sideBars ? current.x : totalWidth, sideBars ? totalHeight : current.y},
        {sideBars ? current.x + current.width : 0, sideBars ? 0 : current.y + current.height, totalWidth, totalHeight}};
    glClearColor(0, 0, 0, 1);
    glEnable(GL_SCISSOR_TEST);
    for (const auto& bar : bars) {
        glScissor(bar[0], bar[1], bar[2] - bar[0], bar[3] - bar[1]);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
    glScissor(scissor[0], scissor[1], scissor[2], scissor[3]);
    if (!scissored)
        glDisable(GL_SCISSOR_TEST);
}

std::string imageForPicture(const std::string& file)
{
    if (current.height <= DESIGN_HEIGHT)
        return file;
    const std::size_t dot = file.rfind('.');
    return dot == std::string::npos ? file + "-2x" : file.substr(0, dot) + "-2x" + file.substr(dot);
}
