// Draws the panel's three pictures and writes them as BMP files:
//   gyrelle-pictures DIRECTORY
// writes DIRECTORY/panel.bmp, slider-track.bmp and slider-handle.bmp.
#include <cstdio>
#include <string>

#include "tools/pictures/BmpWriter.h"
#include "tools/pictures/PanelArt.h"

int main(int argc, char** argv) {
  using namespace gyrelle;
  using namespace gyrelle::pictures;
  if (argc != 2) {
    std::fprintf(stderr, "usage: gyrelle-pictures DIRECTORY\n");
    return 2;
  }
  const std::string dir = argv[1];
  PanelSurface face(kPanelWidth, kPanelHeight);
  drawPanelFace(face);
  PanelSurface track(kTrackWidth, kTrackHeight);
  drawSliderTrack(track);
  PanelSurface handle(kHandleWidth, kHandleHeight);
  drawSliderHandle(handle);
  bool ok = writeBmp24(face, dir + "/panel.bmp");
  ok = writeBmp4(track, dir + "/slider-track.bmp") && ok;
  ok = writeBmp4(handle, dir + "/slider-handle.bmp") && ok;
  if (!ok) {
    std::fprintf(stderr, "gyrelle-pictures: could not write the pictures into %s\n", dir.c_str());
    return 1;
  }
  return 0;
}
