#include "render/SoundFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>

#include "render/RenderError.h"

namespace gyrelle::render {

SoundFileReader::SoundFileReader(const std::string& path) : path_(path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) {
    throw RenderError("cannot open input '" + path + "': " + std::strerror(errno));
  }
  if (S_ISDIR(st.st_mode)) throw RenderError("cannot open input '" + path + "': it is a folder");
  const int probe = open(path.c_str(), O_RDONLY);
  if (probe < 0) throw RenderError("cannot open input '" + path + "': " + std::strerror(errno));
  close(probe);
  file_ = sf_open(path.c_str(), SFM_READ, &info_);
  if (!file_) {
    throw RenderError("cannot read input '" + path + "': unsupported format (" +
                      sf_strerror(nullptr) + ")");
  }
  if (info_.channels < 1 || info_.samplerate < 1) {
    sf_close(file_);
    file_ = nullptr;
    throw RenderError("cannot read input '" + path + "': it reports no channels or no rate");
  }
  if (info_.frames < 0) info_.frames = 0;
}

SoundFileReader::~SoundFileReader() {
  if (file_) sf_close(file_);
}

int64_t SoundFileReader::read(float* interleaved, int64_t count) {
  if (count <= 0) return 0;
  const sf_count_t got = sf_readf_float(file_, interleaved, count);
  if (got < 0) throw RenderError("cannot read input '" + path_ + "'");
  if (got == 0 && sf_error(file_) != SF_ERR_NO_ERROR) {
    throw RenderError("cannot read input '" + path_ + "': " + sf_strerror(file_));
  }
  return got;
}

SoundFileWriter::SoundFileWriter(int descriptor, const std::string& name,
                                 const SoundFormat& format, int channels, int sampleRate)
    : name_(name), format_(format), channels_(channels) {
  SF_INFO info{};
  info.channels = channels;
  info.samplerate = sampleRate;
  info.format = sndfileFormat(format);
  if (!sf_format_check(&info)) {
    throw RenderError("unsupported output format: " + describeFormat(format) + " with " +
                      std::to_string(channels) + " channels at " + std::to_string(sampleRate) +
                      " Hz");
  }
  file_ = sf_open_fd(descriptor, SFM_WRITE, &info, SF_FALSE);
  if (!file_) {
    throw RenderError("cannot write '" + name + "': " + sf_strerror(nullptr));
  }
}

SoundFileWriter::~SoundFileWriter() {
  if (file_) sf_close(file_);
}

void SoundFileWriter::write(const float* interleaved, int64_t count) {
  if (count <= 0) return;
  const int64_t samples = count * channels_;
  sf_count_t written = 0;
  if (format_.encoding == SampleEncoding::Pcm16 || format_.encoding == SampleEncoding::Pcm24) {
    // libsndfile keeps the top bits of a 32-bit integer; rounding to the
    // file's width here makes a sample that fits come back exactly.
    const int bits = format_.encoding == SampleEncoding::Pcm16 ? 16 : 24;
    const double scale = std::ldexp(1.0, bits - 1);
    const double top = scale - 1.0;
    integers_.resize(static_cast<size_t>(samples));
    for (int64_t i = 0; i < samples; ++i) {
      double v = std::nearbyint(static_cast<double>(interleaved[i]) * scale);
      if (!(v >= -scale)) v = -scale;  // also catches NaN
      if (v > top) v = top;
      integers_[static_cast<size_t>(i)] = static_cast<int32_t>(v) * (1 << (32 - bits));
    }
    written = sf_writef_int(file_, integers_.data(), count);
  } else {
    written = sf_writef_float(file_, interleaved, count);
  }
  if (written != count) {
    throw RenderError("cannot write '" + name_ + "': " + sf_strerror(file_));
  }
}

void SoundFileWriter::finish() {
  sf_write_sync(file_);
  const int status = sf_close(file_);
  file_ = nullptr;
  if (status != 0) throw RenderError("cannot write '" + name_ + "': " + sf_error_number(status));
}

}  // namespace gyrelle::render
