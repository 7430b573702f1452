#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>

class QIODevice;

namespace fw {

class FolderItem;

// Rows of an RGB32 image (0xffRRGGBB a pixel), from the top: count rows, bytesPerLine apart.
struct ImageRows {
  const uchar* bits;
  qsizetype bytesPerLine;
  int count;
};

// Encodes an image band by band of rows, straight to a device: what is encoded goes out at once,
// so that memory holds one band and the encoder's own buffers, never the whole file.
//
// PNG is written with the Up filter and zlib's run-length strategy (fast, and nearly as small as
// trying every filter on every row for pictures of large even areas); JPEG at quality 75 unless
// told otherwise; TIFF uncompressed RGB. All three carry the resolution of a new Qt image.
// The libraries' errors never unwind through our code: each call into them runs under its own
// recovery point, and the callbacks that they call catch everything.
class ImageEncoder {
 public:
  // An encoder for the save format code (Picture::kFormatTIFF, kFormatPNG, kFormatJPEG) writing
  // an image of that size to out; quality -1 is the format's default. Nullptr for a code that
  // names no format. Check Failed(): the encoder may fail as it starts.
  static std::unique_ptr<ImageEncoder> Make(int format, QIODevice& out, QSize size, int quality);
  static bool Knows(int format);

  virtual ~ImageEncoder() = default;
  ImageEncoder(const ImageEncoder&) = delete;
  ImageEncoder& operator=(const ImageEncoder&) = delete;

  // Encodes the next rows and writes what is ready; false once anything has failed.
  virtual bool Write(ImageRows rows) = 0;
  // Ends the file, once every row has been written, and writes out all that is left; false on
  // failure.
  virtual bool Finish() = 0;

  bool Failed() const { return writeFailed_ || !libraryError_.isEmpty(); }
  // Why: the system's reason when writing failed, else the library's own words.
  QString Error() const;

 protected:
  explicit ImageEncoder(QIODevice& out);
  // Queues bytes for the device, writing them out in large pieces; never throws. False once a
  // write has failed, the device's reason being kept.
  bool Put(const void* data, qint64 size) noexcept;
  // Writes out what is queued; false once a write has failed.
  bool Drain() noexcept;
  // Moves the device to an offset, after writing out what is queued.
  bool SeekTo(qint64 offset) noexcept;
  // Keeps the library's message, the first only.
  void LibraryFailed(const char* message);

 private:
  bool WriteOut(const char* data, qint64 size) noexcept;

  QIODevice& out_;
  std::unique_ptr<char[]> queue_;
  qint64 queued_ = 0;
  bool writeFailed_ = false;
  QString writeError_;       // empty when the write failed for want of memory
  QByteArray libraryError_;  // as the library or the encoder put it, untranslated
};

// Gives rows [top, top + count) of the image being saved.
using BandSource = std::function<ImageRows(int top, int count)>;

// Told after each band written, with the number of bands written so far; false from it stops
// the save.
using BandWritten = std::function<bool(int bandsDone)>;

// Writes an image of that size, taken from band in bands of bandRows rows, to the file in the
// format of that code. The file is touched only once the image is written whole (see SaveFile):
// until then an old file of that name stays as it was. bandWritten, when given, is told of every
// band; when it asks to stop, nothing is written and the result is false. Throws Error with the
// file's name and the reason when the file cannot be written, running out of memory included.
bool SaveImage(const FolderItem& file, int format, int quality, QSize size, int bandRows,
               const BandSource& band, const BandWritten& bandWritten = {});

}  // namespace fw
