#include "ImageEncoders.h"

#include "Dialogs.h"
#include "Files.h"
#include "Picture.h"

#include <QCoreApplication>
#include <QImage>
#include <QSaveFile>

#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>
#include <zlib.h>

#include <csetjmp>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

namespace fw {

namespace {

const char* const kNotEnoughMemory = "there is not enough memory.";

// Encoded bytes are written out in pieces of this size.
constexpr qint64 kQueueBytes = 256 * 1024;

// The resolution, in dots a metre, of a new Qt image: what Qt's own writers put in a file.
int DotsPerMeter() {
  return QImage(1, 1, QImage::Format_RGB32).dotsPerMeterX();
}

// Packs a row of RGB32 pixels as R, G, B bytes.
void PackRgb(const uchar* bits, int width, std::uint8_t* out) {
  const auto* in = reinterpret_cast<const QRgb*>(bits);
  for (int x = 0; x < width; ++x) {
    const QRgb p = in[x];
    out[0] = std::uint8_t(p >> 16);
    out[1] = std::uint8_t(p >> 8);
    out[2] = std::uint8_t(p);
    out += 3;
  }
}

// A C library's message, kept in a plain buffer: it is written where no C++ object may live.
struct Message {
  char text[256] = {};
  void Set(const char* s) noexcept { std::snprintf(text, sizeof text, "%s", s ? s : ""); }
};

// ---- PNG

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

// ---- JPEG

class JpegEncoder;

// What libjpeg's callbacks reach from its compress object: the error manager comes first, so
// that the object's err pointer is also a pointer to the whole.
struct JpegContext {
  jpeg_error_mgr errors;
  std::jmp_buf recovery;
  Message message;
  jpeg_destination_mgr destination;
  JpegEncoder* encoder;
  JOCTET buffer[64 * 1024];
};

JpegContext& ContextOf(j_common_ptr cinfo) {
  return *reinterpret_cast<JpegContext*>(cinfo->err);
}

void JpegErrorExit(j_common_ptr cinfo) {
  char text[JMSG_LENGTH_MAX];
  (*cinfo->err->format_message)(cinfo, text);
  ContextOf(cinfo).message.Set(text);
  std::longjmp(ContextOf(cinfo).recovery, 1);
}

void JpegEmitMessage(j_common_ptr, int) {}
void JpegOutputMessage(j_common_ptr) {}

// As for libpng: every call into libjpeg runs under a recovery point of its own.
bool JpegStart(jpeg_compress_struct* cinfo, JpegContext* c, int width, int height, int quality,
               int dotsPerInch) {
  if (setjmp(c->recovery)) return false;
  jpeg_create_compress(cinfo);
  cinfo->dest = &c->destination;
  cinfo->image_width = JDIMENSION(width);
  cinfo->image_height = JDIMENSION(height);
  cinfo->input_components = 4;
  cinfo->in_color_space = JCS_EXT_BGRX;  // an RGB32 pixel in memory on a little-endian machine
  jpeg_set_defaults(cinfo);
  jpeg_set_quality(cinfo, quality, TRUE);
  cinfo->density_unit = 1;  // dots an inch
  cinfo->X_density = UINT16(dotsPerInch);
  cinfo->Y_density = UINT16(dotsPerInch);
  jpeg_start_compress(cinfo, TRUE);
  return true;
}

bool JpegRows(jpeg_compress_struct* cinfo, JpegContext* c, JSAMPARRAY rows, int count) {
  if (setjmp(c->recovery)) return false;
  jpeg_write_scanlines(cinfo, rows, JDIMENSION(count));
  return true;
}

bool JpegFinish(jpeg_compress_struct* cinfo, JpegContext* c) {
  if (setjmp(c->recovery)) return false;
  jpeg_finish_compress(cinfo);
  return true;
}

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "RGB32 pixels are taken as B, G, R, X bytes");

class JpegEncoder final : public ImageEncoder {
 public:
  JpegEncoder(QIODevice& out, QSize size, int quality)
      : ImageEncoder(out), context_(std::make_unique<JpegContext>()) {
    JpegContext& c = *context_;
    std::memset(&cinfo_, 0, sizeof cinfo_);
    cinfo_.err = jpeg_std_error(&c.errors);
    c.errors.error_exit = JpegErrorExit;
    c.errors.emit_message = JpegEmitMessage;
    c.errors.output_message = JpegOutputMessage;
    c.destination.init_destination = InitDestination;
    c.destination.empty_output_buffer = EmptyBuffer;
    c.destination.term_destination = TermDestination;
    c.encoder = this;
    const int dotsPerInch = qRound(DotsPerMeter() * 0.0254);
    if (!JpegStart(&cinfo_, &c, size.width(), size.height(), quality < 0 ? 75 : quality,
                   dotsPerInch)) {
      LibraryFailed(c.message.text);
    }
  }

  // Safe on an object whose creation failed half way: the memory manager is checked first.
  ~JpegEncoder() override { jpeg_destroy_compress(&cinfo_); }

  bool Write(ImageRows rows) override {
    constexpr int kAtOnce = 16;
    JSAMPROW pointers[kAtOnce];
    for (int y = 0; y < rows.count && !Failed(); y += kAtOnce) {
      const int n = std::min(kAtOnce, rows.count - y);
      for (int i = 0; i < n; ++i)
        pointers[i] = const_cast<JSAMPROW>(rows.bits + rows.bytesPerLine * (y + i));
      if (!JpegRows(&cinfo_, context_.get(), pointers, n)) LibraryFailed(context_->message.text);
    }
    return !Failed();
  }

  bool Finish() override {
    if (!Failed() && !JpegFinish(&cinfo_, context_.get())) LibraryFailed(context_->message.text);
    return Drain() && !Failed();
  }

 private:
  static JpegContext& Of(j_compress_ptr cinfo) { return ContextOf(j_common_ptr(cinfo)); }
  static void InitDestination(j_compress_ptr cinfo) {
    JpegContext& c = Of(cinfo);
    c.destination.next_output_byte = c.buffer;
    c.destination.free_in_buffer = sizeof c.buffer;
  }
  // A failed write is kept by the encoder and ends the save after the band; libjpeg goes on.
  static boolean EmptyBuffer(j_compress_ptr cinfo) {
    JpegContext& c = Of(cinfo);
    c.encoder->Put(c.buffer, qint64(sizeof c.buffer));
    InitDestination(cinfo);
    return TRUE;
  }
  static void TermDestination(j_compress_ptr cinfo) {
    JpegContext& c = Of(cinfo);
    c.encoder->Put(c.buffer, qint64(sizeof c.buffer - c.destination.free_in_buffer));
  }

  std::unique_ptr<JpegContext> context_;
  jpeg_compress_struct cinfo_;
};

// ---- TIFF

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

  void Failure() { LibraryFailed(message_.text[0] ? message_.text : "the TIFF writer failed."); }

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

// Runs between two bands of a save that shows its progress: the pending events run, so that the
// windows repaint (the progress decides where input may go). False when the user stopped it.
bool BetweenBands(Progress& progress, int bandsDone) {
  progress.RunPendingEvents();
  return progress.Step(bandsDone);
}

}  // namespace

ImageEncoder::ImageEncoder(QIODevice& out)
    : out_(out), queue_(std::make_unique_for_overwrite<char[]>(std::size_t(kQueueBytes))) {}

QString ImageEncoder::Error() const {
  if (!writeFailed_) return libraryError_;
  return writeError_.isEmpty() ? QString::fromLatin1(kNotEnoughMemory) : writeError_;
}

bool ImageEncoder::Put(const void* data, qint64 size) noexcept {
  if (writeFailed_) return false;
  if (queued_ + size > kQueueBytes && !Drain()) return false;
  if (size >= kQueueBytes) return WriteOut(static_cast<const char*>(data), size);
  std::memcpy(queue_.get() + queued_, data, std::size_t(size));
  queued_ += size;
  return true;
}

bool ImageEncoder::Drain() noexcept {
  if (writeFailed_) return false;
  const qint64 size = queued_;
  queued_ = 0;
  return WriteOut(queue_.get(), size);
}

bool ImageEncoder::SeekTo(qint64 offset) noexcept {
  if (!Drain()) return false;
  try {
    if (out_.seek(offset)) return true;
    writeError_ = out_.errorString();
  } catch (...) {
    writeError_.clear();
  }
  writeFailed_ = true;
  return false;
}

bool ImageEncoder::WriteOut(const char* data, qint64 size) noexcept {
  try {
    // A write that stops part way tells no reason; the write of the rest then fails with one.
    while (size > 0) {
      const qint64 written = out_.write(data, size);
      if (written <= 0) {
        writeError_ = out_.errorString();
        writeFailed_ = true;
        return false;
      }
      data += written;
      size -= written;
    }
    return true;
  } catch (...) {
    writeError_.clear();  // Error tells of the memory
    writeFailed_ = true;
    return false;
  }
}

void ImageEncoder::LibraryFailed(const char* message) {
  if (libraryError_.isEmpty()) libraryError_ = QString::fromUtf8(message);
  if (libraryError_.isEmpty()) libraryError_ = QStringLiteral("the encoder failed.");
}

bool ImageEncoder::Knows(int format) {
  return format == Picture::kFormatTIFF || format == Picture::kFormatPNG ||
         format == Picture::kFormatJPEG;
}

std::unique_ptr<ImageEncoder> ImageEncoder::Make(int format, QIODevice& out, QSize size,
                                                 int quality) {
  switch (format) {
    case Picture::kFormatTIFF:
      return std::make_unique<TiffEncoder>(out, size);
    case Picture::kFormatPNG:
      return std::make_unique<PngEncoder>(out, size);
    case Picture::kFormatJPEG:
      return std::make_unique<JpegEncoder>(out, size, quality);
    default:
      return nullptr;
  }
}

bool SaveImage(const FolderItem& file, int format, int quality, QSize size, int bandRows,
               const BandSource& band, Progress* progress) {
  if (!ImageEncoder::Knows(format)) {
    throw SaveError(file.Name(),
                    QCoreApplication::translate("fw", "format %1 is not known.").arg(format));
  }
  QSaveFile out(file.Path());
  // An image in a folder where the user may not make files can still replace one, in place.
  out.setDirectWriteFallback(true);
  if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
    throw SaveError(file.Name(), out.errorString());
  }
  // A band holds one row at least, or the save would never get past its first.
  bandRows = std::max(1, bandRows);
  QString failure;
  try {
    const auto encoder = ImageEncoder::Make(format, out, size, quality);
    int bandsDone = 0;
    for (int top = 0; top < size.height() && !encoder->Failed(); top += bandRows) {
      if (!encoder->Write(band(top, std::min(bandRows, size.height() - top)))) break;
      ++bandsDone;
      if (progress && !BetweenBands(*progress, bandsDone)) {
        out.cancelWriting();
        return false;
      }
    }
    if (!encoder->Failed()) encoder->Finish();
    if (encoder->Failed()) failure = encoder->Error();
    if (encoder->Failed() && failure.isEmpty()) failure = QString::fromLatin1(kNotEnoughMemory);
  } catch (const std::bad_alloc&) {
    failure = QString::fromLatin1(kNotEnoughMemory);
  }
  if (!failure.isEmpty()) {
    out.cancelWriting();
    throw SaveError(file.Name(), failure);
  }
  CommitSave(out, file.Name());
  return true;
}

}  // namespace fw
