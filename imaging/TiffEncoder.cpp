#include "TiffEncoder.h"

#include "EncoderSupport.h"

#include <QIODevice>

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <vector>

namespace fw {

namespace {

using namespace encoders;

// libtiff reports errors through its handlers and its results, never by a jump: the handlers
// here only keep the message. The file goes to the device through the procedures below, which
// keep the position themselves: libtiff seeks to the end before every strip it appends.
class TiffEncoder final : public ImageEncoder {
 public:
  TiffEncoder(QIODevice& out, QSize size) : ImageEncoder(out), width_(size.width()) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) {
      LibraryFailed(kNotEnoughMemory);
      return;
    }
    TIFFOpenOptionsSetErrorHandlerExtR(options, OnError, this);
    TIFFOpenOptionsSetWarningHandlerExtR(options, OnWarning, this);
    tiff_ = TIFFClientOpenExt("image", "w", this, OnRead, OnWrite, OnSeek, OnClose, OnSize, OnMap,
                              OnUnmap, options);
    TIFFOpenOptionsFree(options);
    if (!tiff_) {
      Failure();
      return;
    }
    row_.resize(std::size_t(width_) * 3);
    if (!SetTags(size)) Failure();
  }

  ~TiffEncoder() override {
    if (tiff_) TIFFCleanup(tiff_);  // frees the handle without writing anything more
  }

  bool Write(ImageRows rows) override {
    for (int y = 0; y < rows.count && !Failed(); ++y) {
      PackRgb(rows.bits + rows.bytesPerLine * y, width_, row_.data());
      if (TIFFWriteScanline(tiff_, row_.data(), std::uint32_t(next_), 0) != 1) Failure();
      ++next_;
    }
    return !Failed();
  }

  bool Finish() override {
    if (!Failed() && !TIFFFlush(tiff_)) Failure();
    return Drain() && !Failed();
  }

 private:
  bool SetTags(QSize size) {
    // As Qt writes an image without alpha: RGB, eight bits a sample, uncompressed, strips of
    // libtiff's default size, and the resolution in whole centimetres or else in inches.
    const int dpm = DotsPerMeter();
    const bool centimetres = dpm % 100 == 0;
    const float resolution = centimetres ? float(dpm / 100.0) : float(qRound(dpm * 0.0254));
    return TIFFSetField(tiff_, TIFFTAG_IMAGEWIDTH, std::uint32_t(size.width())) &&
           TIFFSetField(tiff_, TIFFTAG_IMAGELENGTH, std::uint32_t(size.height())) &&
           TIFFSetField(tiff_, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
           TIFFSetField(tiff_, TIFFTAG_RESOLUTIONUNIT,
                        centimetres ? RESUNIT_CENTIMETER : RESUNIT_INCH) &&
           TIFFSetField(tiff_, TIFFTAG_XRESOLUTION, resolution) &&
           TIFFSetField(tiff_, TIFFTAG_YRESOLUTION, resolution) &&
           TIFFSetField(tiff_, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) &&
           TIFFSetField(tiff_, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB) &&
           TIFFSetField(tiff_, TIFFTAG_COMPRESSION, COMPRESSION_NONE) &&
           TIFFSetField(tiff_, TIFFTAG_SAMPLESPERPIXEL, 3) &&
           TIFFSetField(tiff_, TIFFTAG_BITSPERSAMPLE, 8) &&
           TIFFSetField(tiff_, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff_, 0));
  }

  void Failure() { LibraryFailed(message_.text[0] ? message_.text : kTiffWriterFailed); }

  static TiffEncoder& Of(thandle_t handle) { return *static_cast<TiffEncoder*>(handle); }

  static int OnError(TIFF*, void* self, const char*, const char* format, va_list args) {
    auto* e = static_cast<TiffEncoder*>(self);
    std::vsnprintf(e->message_.text, sizeof e->message_.text, format, args);
    return 1;
  }
  static int OnWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

  static tmsize_t OnRead(thandle_t, void*, tmsize_t) { return -1; }
  static tmsize_t OnWrite(thandle_t handle, void* data, tmsize_t size) {
    TiffEncoder& e = Of(handle);
    if (e.pos_ != e.writeEnd_) {
      if (!e.SeekTo(qint64(e.pos_))) return -1;
      e.writeEnd_ = e.pos_;
    }
    if (!e.Put(data, qint64(size))) return -1;
    e.pos_ += std::uint64_t(size);
    e.writeEnd_ = e.pos_;
    e.size_ = std::max(e.size_, e.pos_);
    return size;
  }
  static toff_t OnSeek(thandle_t handle, toff_t offset, int whence) {
    TiffEncoder& e = Of(handle);
    switch (whence) {
      case SEEK_SET:
        e.pos_ = offset;
        break;
      case SEEK_CUR:
        e.pos_ += offset;
        break;
      case SEEK_END:
        e.pos_ = e.size_ + offset;
        break;
      default:
        return toff_t(-1);
    }
    return e.pos_;
  }
  static int OnClose(thandle_t) { return 0; }
  static toff_t OnSize(thandle_t handle) { return Of(handle).size_; }
  static int OnMap(thandle_t, void**, toff_t*) { return 0; }
  static void OnUnmap(thandle_t, void*, toff_t) {}

  int width_;
  TIFF* tiff_ = nullptr;
  std::vector<std::uint8_t> row_;
  int next_ = 0;                // the next row to write
  std::uint64_t pos_ = 0;       // where libtiff reads or writes next
  std::uint64_t writeEnd_ = 0;  // where the bytes written so far end
  std::uint64_t size_ = 0;
  Message message_;
};

}  // namespace

std::unique_ptr<ImageEncoder> MakeTiffEncoder(QIODevice& out, QSize size) {
  return std::make_unique<TiffEncoder>(out, size);
}

}  // namespace fw
