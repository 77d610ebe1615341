// Audio in and out as interleaved 32-bit float frames, through libsndfile.
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <string>
#include <vector>

#include "render/AudioFormat.h"

namespace gyrelle::render {

// Anything the renderer can take its input from: a file or the demo signal.
// Used from the main thread only; the accessors read fixed facts.
class SoundSource {
 public:
  virtual ~SoundSource() = default;
  virtual int channels() const = 0;
  virtual int sampleRate() const = 0;
  // Expected length in frames; reading may end earlier.
  virtual int64_t frames() const = 0;
  // The format an output keeps unless told otherwise.
  virtual SoundFormat format() const = 0;
  // Reads up to count frames into interleaved; answers how many it read, 0
  // at the end. Main thread.
  virtual int64_t read(float* interleaved, int64_t count) = 0;
};

class SoundFileReader : public SoundSource {
 public:
  // Opens path for reading. Throws RenderError when it is missing, not
  // readable or not a sound file libsndfile understands. Main thread.
  explicit SoundFileReader(const std::string& path);
  ~SoundFileReader() override;
  SoundFileReader(const SoundFileReader&) = delete;
  SoundFileReader& operator=(const SoundFileReader&) = delete;

  int channels() const override { return info_.channels; }
  int sampleRate() const override { return info_.samplerate; }
  int64_t frames() const override { return info_.frames; }
  SoundFormat format() const override { return formatFromSndfile(info_.format); }
  int64_t read(float* interleaved, int64_t count) override;

 private:
  std::string path_;
  SF_INFO info_{};
  SNDFILE* file_ = nullptr;
};

class SoundFileWriter {
 public:
  // Starts a sound file on an open descriptor (which stays the caller's).
  // Throws RenderError when libsndfile cannot write that format, channel
  // count and rate. name is for messages. Main thread.
  SoundFileWriter(int descriptor, const std::string& name, const SoundFormat& format,
                  int channels, int sampleRate);
  ~SoundFileWriter();
  SoundFileWriter(const SoundFileWriter&) = delete;
  SoundFileWriter& operator=(const SoundFileWriter&) = delete;

  // Appends count interleaved frames; integer files get samples rounded to
  // their width and clipped to full scale. Throws RenderError. Main thread.
  void write(const float* interleaved, int64_t count);
  // Finishes the file (headers, last compressed pages). Throws RenderError.
  void finish();

 private:
  std::string name_;
  SoundFormat format_;
  int channels_ = 0;
  SNDFILE* file_ = nullptr;
  std::vector<int32_t> integers_;
};

}  // namespace gyrelle::render
