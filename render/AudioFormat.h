// Which file type and sample encoding an output gets: the --format option
// first, then the output name's extension, then whatever the input had.
#pragma once

#include <string>

namespace gyrelle::render {

enum class SampleEncoding { Pcm16, Pcm24, Float, Vorbis };

struct SoundFormat {
  int container = 0;  // libsndfile major type (SF_FORMAT_WAV, ...)
  SampleEncoding encoding = SampleEncoding::Pcm16;
};

// The format of an input as libsndfile reports it (SF_INFO.format). 8-bit
// and compressed integer encodings become 16-bit, 32-bit and double become
// float. Main thread; pure.
SoundFormat formatFromSndfile(int sndfileFormat);

// The libsndfile format code for writing. Main thread; pure.
int sndfileFormat(const SoundFormat& format);

// Output format: formatOption ("wav", "flac:24", "aiff:float", "ogg"; empty
// for none), else the extension of outputPath when it is .wav, .aif(f),
// .flac or .ogg, else the input's type; the encoding is the option's, else
// the input's where the type can hold it. Throws RenderError for an unknown
// --format. Main thread; pure.
SoundFormat chooseOutputFormat(const std::string& formatOption, const std::string& outputPath,
                               const SoundFormat& input);

// "16-bit WAV", "Ogg Vorbis": for messages. Main thread; pure.
std::string describeFormat(const SoundFormat& format);

}  // namespace gyrelle::render
