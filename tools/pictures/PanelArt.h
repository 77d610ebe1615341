// Draws the panel's three pictures: the face with its wells under the
// widgets, the slider track and the slider handle.
#pragma once

#include "toolkit/PanelSurface.h"

namespace gyrelle::pictures {

constexpr int kPanelWidth = 512, kPanelHeight = 316;
constexpr int kTrackWidth = 16, kTrackHeight = 212;
constexpr int kHandleWidth = 16, kHandleHeight = 12;

void drawPanelFace(PanelSurface& face);
void drawSliderTrack(PanelSurface& track);
// Pure white pixels are the transparent ones.
void drawSliderHandle(PanelSurface& handle);

}  // namespace gyrelle::pictures
