#include "render/AudioFormat.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>

#include "render/RenderError.h"

namespace gyrelle::render {

namespace {

std::string lowerCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// 0 for a name that is none of ours.
int containerForName(const std::string& name) {
  if (name == "wav") return SF_FORMAT_WAV;
  if (name == "aif" || name == "aiff") return SF_FORMAT_AIFF;
  if (name == "flac") return SF_FORMAT_FLAC;
  if (name == "ogg" || name == "oga") return SF_FORMAT_OGG;
  return 0;
}

std::string extensionOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  return lowerCase(path.substr(dot + 1));
}

// Fits an encoding to what the container can hold.
SampleEncoding fitEncoding(int container, SampleEncoding encoding) {
  if (container == SF_FORMAT_OGG) return SampleEncoding::Vorbis;
  if (encoding == SampleEncoding::Vorbis) {
    return container == SF_FORMAT_FLAC ? SampleEncoding::Pcm24 : SampleEncoding::Float;
  }
  if (container == SF_FORMAT_FLAC && encoding == SampleEncoding::Float) {
    return SampleEncoding::Pcm24;
  }
  return encoding;
}

}  // namespace

SoundFormat formatFromSndfile(int format) {
  SoundFormat out;
  out.container = format & SF_FORMAT_TYPEMASK;
  switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_24:
      out.encoding = SampleEncoding::Pcm24;
      break;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT:
    case SF_FORMAT_DOUBLE:
      out.encoding = SampleEncoding::Float;
      break;
    case SF_FORMAT_VORBIS:
    case SF_FORMAT_OPUS:
      out.encoding = SampleEncoding::Vorbis;
      break;
    default:
      out.encoding = SampleEncoding::Pcm16;
      break;
  }
  return out;
}

int sndfileFormat(const SoundFormat& format) {
  switch (format.encoding) {
    case SampleEncoding::Pcm16:
      return format.container | SF_FORMAT_PCM_16;
    case SampleEncoding::Pcm24:
      return format.container | SF_FORMAT_PCM_24;
    case SampleEncoding::Float:
      return format.container | SF_FORMAT_FLOAT;
    case SampleEncoding::Vorbis:
      return format.container | SF_FORMAT_VORBIS;
  }
  return format.container;
}

SoundFormat chooseOutputFormat(const std::string& formatOption, const std::string& outputPath,
                               const SoundFormat& input) {
  SoundFormat out = input;
  if (!formatOption.empty()) {
    const std::string option = lowerCase(formatOption);
    const size_t colon = option.find(':');
    const std::string type = option.substr(0, colon);
    const std::string bits = colon == std::string::npos ? "" : option.substr(colon + 1);
    out.container = containerForName(type);
    const std::string help = " (wav, aiff, flac or ogg, optionally with :16, :24 or :float)";
    if (out.container == 0) {
      throw RenderError("unsupported output format '" + formatOption + "'" + help);
    }
    if (bits == "16") {
      out.encoding = SampleEncoding::Pcm16;
    } else if (bits == "24") {
      out.encoding = SampleEncoding::Pcm24;
    } else if (bits == "float" || bits == "32") {
      out.encoding = SampleEncoding::Float;
    } else if (!bits.empty() || colon != std::string::npos) {
      throw RenderError("unsupported output format '" + formatOption + "'" + help);
    }
    const bool explicitBits = !bits.empty();
    if (explicitBits && out.container == SF_FORMAT_OGG) {
      throw RenderError("unsupported output format '" + formatOption +
                        "': Ogg Vorbis has no sample width");
    }
    if (explicitBits && out.container == SF_FORMAT_FLAC && out.encoding == SampleEncoding::Float) {
      throw RenderError("unsupported output format '" + formatOption +
                        "': FLAC holds no float samples");
    }
  } else if (const int container = containerForName(extensionOf(outputPath))) {
    out.container = container;
  }
  out.encoding = fitEncoding(out.container, out.encoding);
  return out;
}

std::string describeFormat(const SoundFormat& format) {
  SF_FORMAT_INFO info{};
  info.format = format.container;
  std::string type = "type " + std::to_string(format.container >> 16);
  if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info) == 0 && info.name) {
    type = info.name;
  }
  if (format.container == SF_FORMAT_WAV) type = "WAV";
  if (format.container == SF_FORMAT_AIFF) type = "AIFF";
  if (format.container == SF_FORMAT_FLAC) type = "FLAC";
  if (format.container == SF_FORMAT_OGG) return "Ogg Vorbis";
  switch (format.encoding) {
    case SampleEncoding::Pcm16:
      return "16-bit " + type;
    case SampleEncoding::Pcm24:
      return "24-bit " + type;
    case SampleEncoding::Float:
      return "float " + type;
    case SampleEncoding::Vorbis:
      return "Vorbis " + type;
  }
  return type;
}

}  // namespace gyrelle::render
