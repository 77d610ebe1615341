// The pixel rules of the panel's drawing, on a PanelSurface. No
// anti-aliasing anywhere; every shape is clipped to the surface.
#pragma once

#include <cstdint>

#include "toolkit/PanelSurface.h"

// Each call runs on the thread drawing on `s` and touches only its pixels
// and changed region.
namespace gyrelle::raster {

// Fills columns x0..x1-1 and rows y0..y1-1.
void fillBox(PanelSurface& s, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t pixel);

// A one-pixel line from `from` to `to` that leaves out the end point. A
// dotted pen draws three pixels on, three off, continuing across joined lines.
void line(PanelSurface& s, PanelPoint from, PanelPoint to, const SurfacePen& pen, int32_t& dotPhase);

// Even-odd fill of the polygon, sampling pixel centres (no outline).
void fillPolygon(PanelSurface& s, const PanelPoint* points, int32_t count, uint32_t pixel);

// The ellipse inscribed in columns x0..x1-1, rows y0..y1-1.
void fillEllipse(PanelSurface& s, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t pixel);

// The wedge of that ellipse from the radial through `from` counter-clockwise
// (as seen on screen) to the radial through `to`; equal radials give the
// whole ellipse.
void fillPie(PanelSurface& s, int32_t x0, int32_t y0, int32_t x1, int32_t y1, PanelPoint from,
             PanelPoint to, uint32_t pixel);

// Copies a w x h block from (sx, sy) of src to (dx, dy) of dst, clipped to both.
void copyBlock(PanelSurface& dst, int32_t dx, int32_t dy, const PanelSurface& src, int32_t sx,
               int32_t sy, int32_t w, int32_t h);

}  // namespace gyrelle::raster
