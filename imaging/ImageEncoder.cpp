#include "ImageEncoder.h"

#include "EncoderSupport.h"
#include "JpegEncoder.h"
#include "Picture.h"
#include "PngEncoder.h"
#include "TiffEncoder.h"
#include "base/FolderItem.h"
#include "base/SaveFile.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstring>
#include <new>

namespace fw {

namespace encoders {

const char* const kNotEnoughMemory =
    QT_TRANSLATE_NOOP("fw::ImageEncoder", "there is not enough memory.");
const char* const kEncoderFailed = QT_TRANSLATE_NOOP("fw::ImageEncoder", "the encoder failed.");
const char* const kTiffWriterFailed =
    QT_TRANSLATE_NOOP("fw::ImageEncoder", "the TIFF writer failed.");

}  // namespace encoders

namespace {

using encoders::kNotEnoughMemory;

// Encoded bytes are written out in pieces of this size.
constexpr qint64 kQueueBytes = 256 * 1024;

// A reason in the user's language: the encoders' own; a library's words are left as they are.
QString Translated(const char* reason) {
  return QCoreApplication::translate("fw::ImageEncoder", reason);
}

}  // namespace

ImageEncoder::ImageEncoder(QIODevice& out)
    : out_(out), queue_(std::make_unique_for_overwrite<char[]>(std::size_t(kQueueBytes))) {}

QString ImageEncoder::Error() const {
  if (!writeFailed_) return Translated(libraryError_.constData());
  return writeError_.isEmpty() ? Translated(kNotEnoughMemory) : writeError_;
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
  if (libraryError_.isEmpty()) libraryError_ = message;
  if (libraryError_.isEmpty()) libraryError_ = encoders::kEncoderFailed;
}

bool ImageEncoder::Knows(int format) {
  return format == Picture::kFormatTIFF || format == Picture::kFormatPNG ||
         format == Picture::kFormatJPEG;
}

std::unique_ptr<ImageEncoder> ImageEncoder::Make(int format, QIODevice& out, QSize size,
                                                 int quality) {
  switch (format) {
    case Picture::kFormatTIFF:
      return MakeTiffEncoder(out, size);
    case Picture::kFormatPNG:
      return MakePngEncoder(out, size);
    case Picture::kFormatJPEG:
      return MakeJpegEncoder(out, size, quality);
    default:
      return nullptr;
  }
}

bool SaveImage(const FolderItem& file, int format, int quality, QSize size, int bandRows,
               const BandSource& band, const BandWritten& bandWritten) {
  if (!ImageEncoder::Knows(format)) {
    throw SaveError(file.Name(),
                    QCoreApplication::translate("fw", "format %1 is not known.").arg(format));
  }
  // Unbuffered, so that a write that fails part way is told in the system's words.
  SaveFile save(file, QIODevice::WriteOnly | QIODevice::Unbuffered);
  QIODevice& out = save.Device();
  // A band holds one row at least, or the save would never get past its first.
  bandRows = std::max(1, bandRows);
  QString failure;
  try {
    const auto encoder = ImageEncoder::Make(format, out, size, quality);
    int bandsDone = 0;
    for (int top = 0; top < size.height() && !encoder->Failed(); top += bandRows) {
      if (!encoder->Write(band(top, std::min(bandRows, size.height() - top)))) break;
      ++bandsDone;
      if (bandWritten && !bandWritten(bandsDone)) return false;  // the file stays as it was
    }
    if (!encoder->Failed()) encoder->Finish();
    if (encoder->Failed()) failure = encoder->Error();
    if (encoder->Failed() && failure.isEmpty()) failure = Translated(kNotEnoughMemory);
  } catch (const std::bad_alloc&) {
    failure = Translated(kNotEnoughMemory);
  }
  if (!failure.isEmpty()) throw SaveError(file.Name(), failure);
  save.Commit();
  return true;
}

}  // namespace fw
