#include "render/PngFile.h"

#include <png.h>

#include <cstdio>

#include "render/RenderError.h"
#include "render/ReplaceFile.h"

namespace gyrelle::render {

namespace {

// libpng reports errors by longjmp; this keeps the message for the throw
// that follows, outside libpng's frames.
struct PngErrorState {
  char message[256] = "libpng failed";
};

void onPngError(png_structp png, png_const_charp message) {
  auto* state = static_cast<PngErrorState*>(png_get_error_ptr(png));
  std::snprintf(state->message, sizeof state->message, "%s", message ? message : "unknown");
  png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

// Everything that may longjmp lives here, with no C++ objects to unwind.
bool encode(FILE* file, const RgbImage& image, PngErrorState& state) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, onPngError, onPngWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
               static_cast<png_uint_32>(image.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < image.height; ++y) {
    png_write_row(png, image.pixels.data() + static_cast<size_t>(y) * image.width * 3);
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

void writePng(const std::string& path, const RgbImage& image) {
  if (image.width <= 0 || image.height <= 0) throw RenderError("empty picture for '" + path + "'");
  ReplaceFile target(path);
  FILE* file = fopen(target.temporaryPath().c_str(), "wb");
  if (!file) throw RenderError("cannot write '" + path + "'");
  PngErrorState state;
  const bool encoded = encode(file, image, state);
  const bool closed = fclose(file) == 0;
  if (!encoded) throw RenderError("cannot write '" + path + "': " + state.message);
  if (!closed) throw RenderError("cannot write '" + path + "'");
  target.commit();
}

}  // namespace gyrelle::render
