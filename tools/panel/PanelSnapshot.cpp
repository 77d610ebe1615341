#include "tools/panel/PanelSnapshot.h"

#include <png.h>

#include <cmath>
#include <cstdio>

#include "editor/PanelEditor.h"
#include "plugin/GuiEditor.h"
#include "plugin/GrooveEffect.h"
#include "toolkit/HeadlessPlatform.h"
#include "toolkit/PanelFrame.h"

namespace gyrelle {

namespace {

void renderTone(GrooveEffect& effect, float seconds) {
  constexpr int32_t kBlock = 512;
  const float rate = effect.currentSampleRate();
  std::vector<float> in(kBlock), left(kBlock), right(kBlock);
  float* inputs[2] = {in.data(), in.data()};
  float* outputs[2] = {left.data(), right.data()};
  const int64_t total = int64_t(seconds * rate);
  for (int64_t done = 0; done < total; done += kBlock) {
    for (int32_t i = 0; i < kBlock; ++i) {
      in[size_t(i)] = 0.3f * std::sin(float(done + i) * 2.0f * 3.1415927f * 220.0f / rate);
    }
    effect.processReplace(inputs, outputs, kBlock);
  }
}

}  // namespace

PanelPicture snapshotPanel(GrooveEffect& effect, PanelPage page, float seconds) {
  HeadlessPlatform platform;
  usePanelPlatformForTesting(&platform);
  renderTone(effect, seconds);
  auto* vstEditor = static_cast<GuiEditor*>(effect.editor());
  PanelEditor* editor = vstEditor != nullptr ? &vstEditor->panel() : nullptr;
  PanelPicture picture;
  constexpr uintptr_t kHostWindow = 0x1;
  if (editor != nullptr && editor->openEditor(reinterpret_cast<void*>(kHostWindow)) == 1 &&
      editor->panelFrame()->window() != 0) {
    HeadlessWindow& window = *platform.window(editor->panelFrame()->window());
    window.setPointer(PanelPoint{0, 315}, 0);  // away from the strip: no hover outline
    editor->editorIdle();                      // the first paint, then one refresh pass
    if (page != PanelPage::Controls) {
      const PanelPoint strip{page == PanelPage::Help ? 430 : 490, 10};
      window.setPointer(strip, 0);  // the strip reads the live pointer column
      window.queueButtonPress(1, strip);
      editor->editorIdle();
      window.setPointer(PanelPoint{0, 315}, 0);
    }
    editor->editorIdle();
    picture.width = window.width();
    picture.height = window.height();
    picture.pixels = window.pixels();
    editor->closeEditor();
  }
  usePanelPlatformForTesting(nullptr);
  return picture;
}

bool writePng(const PanelPicture& picture, const std::string& path) {
  if (picture.width <= 0 || picture.height <= 0) return false;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  bool ok = false;
  std::vector<png_byte> row(size_t(picture.width) * 3);
  if (info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(picture.width), png_uint_32(picture.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int32_t y = 0; y < picture.height; ++y) {
      for (int32_t x = 0; x < picture.width; ++x) {
        const uint32_t p = picture.pixels[size_t(y) * size_t(picture.width) + size_t(x)];
        row[size_t(x) * 3] = png_byte(p >> 16);
        row[size_t(x) * 3 + 1] = png_byte(p >> 8);
        row[size_t(x) * 3 + 2] = png_byte(p);
      }
      png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    ok = true;
  }
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0 && ok;
}

bool writePpm(const PanelPicture& picture, const std::string& path) {
  if (picture.width <= 0 || picture.height <= 0) return false;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  std::fprintf(file, "P6\n%d %d\n255\n", int(picture.width), int(picture.height));
  bool ok = true;
  for (uint32_t p : picture.pixels) {
    const unsigned char rgb[3] = {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)};
    ok = std::fwrite(rgb, 1, 3, file) == 3 && ok;
  }
  return std::fclose(file) == 0 && ok;
}

}  // namespace gyrelle
