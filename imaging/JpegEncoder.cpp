#include "JpegEncoder.h"

#include "EncoderSupport.h"

#include <QIODevice>

#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>

namespace fw {

namespace {

using namespace encoders;

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

}  // namespace

std::unique_ptr<ImageEncoder> MakeJpegEncoder(QIODevice& out, QSize size, int quality) {
  return std::make_unique<JpegEncoder>(out, size, quality);
}

}  // namespace fw
