#include "PngEncoder.h"

#include "EncoderSupport.h"

#include <QIODevice>

#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <vector>

namespace fw {

namespace {

using namespace encoders;

// Every call into libpng goes through one of these functions. libpng reports an error by a
// longjmp to the point set here, out of its own frames and our error callback, which hold no
// C++ object; nothing of ours lives in these frames either.
bool PngStart(png_structp png, png_infop info, int width, int height, int dotsPerMeter) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_pHYs(png, info, png_uint_32(dotsPerMeter), png_uint_32(dotsPerMeter),
               PNG_RESOLUTION_METER);
  // Rows of a logo repeat the row above over large areas: Up turns those into zeros, which
  // run-length coding packs at once. Trying every filter on every row costs several times as
  // much for files a few percent smaller.
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
  png_set_compression_strategy(png, Z_RLE);
  png_set_compression_buffer_size(png, 64 * 1024);
  png_write_info(png, info);
  return true;
}

bool PngRow(png_structp png, png_const_bytep row) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_write_row(png, row);
  return true;
}

bool PngEnd(png_structp png, png_infop info) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_write_end(png, info);
  return true;
}

class PngEncoder final : public ImageEncoder {
 public:
  PngEncoder(QIODevice& out, QSize size) : ImageEncoder(out), width_(size.width()) {
    png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, this, OnError, OnWarning);
    if (png_) info_ = png_create_info_struct(png_);
    if (!png_ || !info_) {
      LibraryFailed(kNotEnoughMemory);
      return;
    }
    png_set_write_fn(png_, this, OnWrite, OnFlush);
    row_.resize(std::size_t(width_) * 3);
    if (!PngStart(png_, info_, size.width(), size.height(), DotsPerMeter())) Failure();
  }

  ~PngEncoder() override { png_destroy_write_struct(&png_, &info_); }

  bool Write(ImageRows rows) override {
    for (int y = 0; y < rows.count && !Failed(); ++y) {
      PackRgb(rows.bits + rows.bytesPerLine * y, width_, row_.data());
      if (!PngRow(png_, row_.data())) Failure();
    }
    return !Failed();
  }

  bool Finish() override {
    if (!Failed() && !PngEnd(png_, info_)) Failure();
    return Drain() && !Failed();
  }

 private:
  static void OnError(png_structp png, png_const_charp message) {
    static_cast<PngEncoder*>(png_get_error_ptr(png))->message_.Set(message);
    png_longjmp(png, 1);
  }
  static void OnWarning(png_structp, png_const_charp) {}
  static void OnWrite(png_structp png, png_bytep data, size_t size) {
    static_cast<PngEncoder*>(png_get_io_ptr(png))->Put(data, qint64(size));
  }
  static void OnFlush(png_structp) {}

  void Failure() { LibraryFailed(message_.text); }

  int width_;
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
  std::vector<std::uint8_t> row_;
  Message message_;
};

}  // namespace

std::unique_ptr<ImageEncoder> MakePngEncoder(QIODevice& out, QSize size) {
  return std::make_unique<PngEncoder>(out, size);
}

}  // namespace fw
