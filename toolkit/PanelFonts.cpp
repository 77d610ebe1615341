#include "toolkit/PanelFonts.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace gyrelle {

namespace {

const PanelFontInfo kFontTable[kNumPanelFonts] = {
    {"Arial", 12, 700, false}, {"Arial", 18, 400, false}, {"Arial", 14, 400, false},
    {"Arial", 12, 400, false}, {"Arial", 11, 400, false}, {"Small Fonts", 9, 400, false},
    {"Symbol", 13, 400, true},
};

// The distinct faces behind the table.
enum FaceSlot { kArialRegular, kArialBold, kSmallFonts, kSymbol, kNumFaces };

FaceSlot faceSlotOf(PanelFontId id) {
  switch (id) {
    case 0: return kArialBold;
    case 5: return kSmallFonts;
    case 6: return kSymbol;
    default: return kArialRegular;
  }
}

struct Glyph {
  int32_t left = 0;     // bitmap offset from the pen position
  int32_t top = 0;      // bitmap rows above the baseline
  int32_t width = 0;
  int32_t rows = 0;
  int32_t advance = 0;
  std::vector<uint8_t> bits;  // width * rows, 1 where ink is
};

struct SizedFace {
  int32_t ascent = 0;
  int32_t descent = 0;
  std::unique_ptr<Glyph> glyphs[256];
};

class FontLibrary {
 public:
  static FontLibrary& instance() {
    static FontLibrary library;
    return library;
  }

  // Returns the sized face with every glyph of `text` cached (null: no face).
  const SizedFace* prepare(PanelFontId id, int32_t size, const char* text) {
    std::lock_guard<std::mutex> lock(mutex_);
    FaceSlot slot = faceSlotOf(id);
    if (faces_[slot] == nullptr) return nullptr;
    SizedFace* sized = sizedFace(slot, size);
    if (sized == nullptr) return nullptr;
    for (const char* c = text; c != nullptr && *c != 0; ++c) {
      uint8_t code = uint8_t(*c);
      if (!sized->glyphs[code]) sized->glyphs[code] = renderGlyph(slot, size, code);
    }
    return sized;
  }

  const char* file(PanelFontId id) const { return files_[faceSlotOf(id)].c_str(); }

 private:
  FontLibrary() {
    if (FT_Init_FreeType(&library_) != 0) {
      library_ = nullptr;
      return;
    }
    const char* families[kNumFaces] = {"Arial", "Arial", "Small Fonts", "Symbol"};
    const bool bold[kNumFaces] = {false, true, false, false};
    FcConfig* config = FcInitLoadConfigAndFonts();
    for (int slot = 0; slot < kNumFaces; ++slot) {
      faces_[slot] = openFace(config, families[slot], bold[slot], files_[slot]);
      if (faces_[slot] == nullptr) {
        faces_[slot] = openFace(config, "sans-serif", bold[slot], files_[slot]);
      }
      if (faces_[slot] != nullptr && slot == kSymbol) {
        symbolMap_ = FT_Select_Charmap(faces_[slot], FT_ENCODING_MS_SYMBOL) == 0;
      }
    }
    if (config != nullptr) FcConfigDestroy(config);
  }

  ~FontLibrary() {
    sizes_.clear();
    for (FT_Face& face : faces_) {
      if (face != nullptr) FT_Done_Face(face);
    }
    if (library_ != nullptr) FT_Done_FreeType(library_);
  }

  FT_Face openFace(FcConfig* config, const char* family, bool bold, std::string& fileOut) {
    if (library_ == nullptr || config == nullptr) return nullptr;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FT_Face face = nullptr;
    if (match != nullptr) {
      FcChar8* file = nullptr;
      int index = 0;
      if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        if (FT_New_Face(library_, reinterpret_cast<const char*>(file), index, &face) != 0) {
          face = nullptr;
        } else {
          fileOut = reinterpret_cast<const char*>(file);
        }
      }
      FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return face;
  }

  SizedFace* sizedFace(FaceSlot slot, int32_t size) {
    const uint64_t key = (uint64_t(slot) << 32) | uint32_t(size);
    auto found = sizes_.find(key);
    if (found != sizes_.end()) return found->second.get();
    FT_Face face = faces_[slot];
    if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(size)) != 0) return nullptr;
    auto sized = std::make_unique<SizedFace>();
    sized->ascent = int32_t((face->size->metrics.ascender + 63) >> 6);
    sized->descent = int32_t((-face->size->metrics.descender + 63) >> 6);
    SizedFace* result = sized.get();
    sizes_.emplace(key, std::move(sized));
    return result;
  }

  std::unique_ptr<Glyph> renderGlyph(FaceSlot slot, int32_t size, uint8_t code) {
    auto glyph = std::make_unique<Glyph>();
    FT_Face face = faces_[slot];
    if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(size)) != 0) return glyph;
    FT_ULong charCode = (slot == kSymbol && symbolMap_) ? (0xF000u | code) : FT_ULong(code);
    if (FT_Load_Char(face, charCode, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) return glyph;
    const FT_GlyphSlot g = face->glyph;
    glyph->advance = int32_t((g->advance.x + 32) >> 6);
    const FT_Bitmap& bitmap = g->bitmap;
    glyph->left = g->bitmap_left;
    glyph->top = g->bitmap_top;
    glyph->width = int32_t(bitmap.width);
    glyph->rows = int32_t(bitmap.rows);
    glyph->bits.assign(size_t(glyph->width) * size_t(glyph->rows), 0);
    for (int32_t y = 0; y < glyph->rows; ++y) {
      const uint8_t* row = bitmap.buffer + std::ptrdiff_t(y) * bitmap.pitch;
      for (int32_t x = 0; x < glyph->width; ++x) {
        bool ink = bitmap.pixel_mode == FT_PIXEL_MODE_MONO ? ((row[x >> 3] >> (7 - (x & 7))) & 1)
                                                           : row[x] >= 128;
        glyph->bits[size_t(y) * size_t(glyph->width) + size_t(x)] = ink ? 1 : 0;
      }
    }
    return glyph;
  }

  std::mutex mutex_;
  FT_Library library_ = nullptr;
  FT_Face faces_[kNumFaces] = {};
  std::string files_[kNumFaces];
  bool symbolMap_ = false;
  std::map<uint64_t, std::unique_ptr<SizedFace>> sizes_;
};

int32_t usableSize(int32_t size) {
  int64_t magnitude = std::llabs(int64_t(size));
  return int32_t(std::clamp<int64_t>(magnitude, 1, 512));
}

}  // namespace

const PanelFontInfo& panelFontInfo(PanelFontId id) {
  return kFontTable[(id < 0 || id >= kNumPanelFonts) ? 0 : id];
}

TextExtent measurePanelText(PanelFontId id, int32_t size, const char* text) {
  TextExtent extent;
  const SizedFace* face = FontLibrary::instance().prepare(id, usableSize(size), text);
  if (face == nullptr) return extent;
  extent.ascent = face->ascent;
  extent.descent = face->descent;
  int64_t width = 0;
  for (const char* c = text; c != nullptr && *c != 0; ++c) {
    width += face->glyphs[uint8_t(*c)]->advance;
  }
  extent.width = int32_t(std::min<int64_t>(width, 1 << 24));  // far wider than any surface
  return extent;
}

void drawPanelText(PanelSurface& surface, PanelFontId id, int32_t size, const char* text,
                   int32_t x, int32_t baseline, const PanelRect& clip, uint32_t pixel) {
  const SizedFace* face = FontLibrary::instance().prepare(id, usableSize(size), text);
  if (face == nullptr || text == nullptr) return;
  const int32_t cx0 = std::max(clip.left, 0), cy0 = std::max(clip.top, 0);
  const int32_t cx1 = std::min(clip.right, surface.width());
  const int32_t cy1 = std::min(clip.bottom, surface.height());
  if (cx0 >= cx1 || cy0 >= cy1) return;
  int64_t pen = x;
  int32_t minX = cx1, minY = cy1, maxX = cx0 - 1, maxY = cy0 - 1;
  for (const char* c = text; *c != 0; ++c) {
    const Glyph& g = *face->glyphs[uint8_t(*c)];
    const int64_t gx = pen + g.left, gy = int64_t(baseline) - g.top;
    for (int32_t row = 0; row < g.rows; ++row) {
      const int64_t y = gy + row;
      if (y < cy0 || y >= cy1) continue;
      uint32_t* line = surface.pixels() + size_t(y) * size_t(surface.width());
      for (int32_t col = 0; col < g.width; ++col) {
        const int64_t px = gx + col;
        if (px < cx0 || px >= cx1 || !g.bits[size_t(row) * size_t(g.width) + size_t(col)]) continue;
        line[px] = pixel;
        minX = std::min(minX, int32_t(px));
        maxX = std::max(maxX, int32_t(px));
        minY = std::min(minY, int32_t(y));
        maxY = std::max(maxY, int32_t(y));
      }
    }
    pen += g.advance;
    if (pen >= cx1 + 1024) break;  // the rest lies past the clip box
  }
  if (maxX >= minX) surface.markChanged(minX, minY, maxX + 1, maxY + 1);
}

const char* panelFontFile(PanelFontId id) { return FontLibrary::instance().file(id); }

}  // namespace gyrelle
