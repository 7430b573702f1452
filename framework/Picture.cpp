#include "Picture.h"

#include "Error.h"
#include "Files.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>

#include <sys/mman.h>

#include <algorithm>
#include <cmath>

namespace fw {

namespace {

constexpr int kMaxPictureSide = 32767;

// A large picture (an export at a great height takes hundreds of megabytes) is mapped on its
// own and asks the kernel for huge pages: the first touch of fresh memory, page by page, costs
// far more than drawing into it does.
constexpr qsizetype kMappedPictureBytes = qsizetype(8) << 20;

struct Mapping {
  void* address;
  std::size_t length;
};

void Unmap(void* info) {
  const std::unique_ptr<Mapping> mapping(static_cast<Mapping*>(info));
  munmap(mapping->address, mapping->length);
}

// An RGB32 image of the given size, null when its memory cannot be had.
QImage NewImage(int width, int height) {
  const qsizetype bytesPerLine = qsizetype(width) * 4;
  const qsizetype bytes = bytesPerLine * height;
  if (bytes < kMappedPictureBytes) return QImage(width, height, QImage::Format_RGB32);
  void* address =
      mmap(nullptr, std::size_t(bytes), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (address == MAP_FAILED) return QImage();
#ifdef MADV_HUGEPAGE
  madvise(address, std::size_t(bytes), MADV_HUGEPAGE);
#endif
  auto mapping = std::make_unique<Mapping>(Mapping{address, std::size_t(bytes)});
  QImage image(static_cast<uchar*>(address), width, height, bytesPerLine, QImage::Format_RGB32,
               Unmap, mapping.get());
  if (image.isNull()) {
    munmap(address, std::size_t(bytes));
    return QImage();
  }
  mapping.release();  // the image's cleanup unmaps it and frees the record
  return image;
}

QRgb ToRgb(Color c) {
  return qRgb(RedOf(c), GreenOf(c), BlueOf(c));
}

// The part of the rectangle (x, y, w, h) that lies on a surface of the given size, computed
// without overflow for any int arguments.
QRect ClipToSurface(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h,
                    int surfaceWidth, int surfaceHeight) {
  const std::int64_t left = std::max<std::int64_t>(x, 0);
  const std::int64_t top = std::max<std::int64_t>(y, 0);
  const std::int64_t right = std::min<std::int64_t>(x + w, surfaceWidth);
  const std::int64_t bottom = std::min<std::int64_t>(y + h, surfaceHeight);
  if (right <= left || bottom <= top) return {};
  return QRect(int(left), int(top), int(right - left), int(bottom - top));
}

bool MissesSurface(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h, int surfaceWidth,
                   int surfaceHeight) {
  return w <= 0 || h <= 0 || x >= surfaceWidth || y >= surfaceHeight || x + w <= 0 || y + h <= 0;
}

const char* WriterFormat(int code) {
  switch (code) {
    case Picture::kFormatTIFF:
      return "tiff";
    case Picture::kFormatPNG:
      return "png";
    case Picture::kFormatJPEG:
      return "jpeg";
    default:
      return nullptr;
  }
}

}  // namespace

Graphics::Graphics(QPainter& painter, int width, int height)
    : painter_(&painter), width_(width), height_(height) {}

Graphics::Graphics(Picture& target)
    : target_(&target), width_(target.Width()), height_(target.Height()) {}

void Graphics::FillRect(int x, int y, int width, int height) {
  const QRect area = ClipToSurface(x, y, width, height, width_, height_);
  if (area.isEmpty()) return;
  const QRgb rgb = ToRgb(foreColor_);
  if (painter_) {
    painter_->fillRect(area, QColor(rgb));
    return;
  }
  Picture& pic = *target_;
  if (area == pic.image_.rect()) {
    if (pic.uniform_ == rgb) return;  // already exactly that
    pic.image_.fill(rgb);
    pic.uniform_ = rgb;
  } else {
    QPainter painter(&pic.image_);
    painter.fillRect(area, QColor(rgb));
    pic.uniform_.reset();
  }
  pic.Changed();
}

void Graphics::DrawPicture(const Picture& source, int destX, int destY, int destWidth,
                           int destHeight, int sourceX, int sourceY, int sourceWidth,
                           int sourceHeight) {
  if (MissesSurface(destX, destY, destWidth, destHeight, width_, height_)) return;
  const QRect sourceRect =
      ClipToSurface(sourceX, sourceY, sourceWidth, sourceHeight, source.Width(), source.Height());
  if (sourceWidth <= 0 || sourceHeight <= 0 || sourceRect.isEmpty()) return;
  const bool scaled = destWidth != sourceWidth || destHeight != sourceHeight;
  if (scaled && source.mask_) {
    const QSize surface(width_, height_);
    if (painter_) {
      source.DrawScaledThroughMask(painter_, nullptr, surface, sourceRect, destX, destY, destWidth,
                                   destHeight);
    } else {
      source.DrawScaledThroughMask(nullptr, &target_->image_, surface, sourceRect, destX, destY,
                                   destWidth, destHeight);
      target_->uniform_.reset();
      target_->Changed();
    }
    return;
  }
  const QImage& image = source.Drawable();
  if (painter_) {
    painter_->setRenderHint(QPainter::SmoothPixmapTransform, scaled);
    painter_->drawImage(QRectF(destX, destY, destWidth, destHeight), image,
                        QRectF(sourceX, sourceY, sourceWidth, sourceHeight));
    return;
  }
  Picture& pic = *target_;
  {
    QPainter painter(&pic.image_);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, scaled);
    painter.drawImage(QRectF(destX, destY, destWidth, destHeight), image,
                      QRectF(sourceX, sourceY, sourceWidth, sourceHeight));
  }
  pic.uniform_.reset();
  pic.Changed();
}

Picture::Picture(int width, int height, int /*depth*/) {
  if (width < 1 || width > kMaxPictureSide || height < 1 || height > kMaxPictureSide) {
    throw Error(QStringLiteral("Width/Height needs to be in the range 1-32767"));
  }
  image_ = NewImage(width, height);
  if (image_.isNull()) {
    throw Error(QStringLiteral("There is not enough memory for a picture of %1 × %2 pixels.")
                    .arg(width)
                    .arg(height));
  }
  image_.fill(qRgb(255, 255, 255));
  uniform_ = qRgb(255, 255, 255);
}

Picture::Picture(QImage image) {
  if (image.hasAlphaChannel()) {
    // What is transparent in the image reads as white, the light that a mask lets through.
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(qRgb(255, 255, 255));
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    painter.end();
    image_ = flat;
  } else {
    image_ = image.convertToFormat(QImage::Format_RGB32);
  }
}

fw::Graphics& Picture::Graphics() {
  if (!graphics_) graphics_ = std::make_unique<fw::Graphics>(*this);
  return *graphics_;
}

PicturePtr Picture::Mask(bool create) {
  if (!mask_ && create) {
    mask_ = std::make_shared<Picture>(Width(), Height());
    mask_->image_.fill(qRgb(0, 0, 0));
    mask_->uniform_ = qRgb(0, 0, 0);
    Changed();
  }
  return mask_;
}

const std::vector<std::uint8_t>& Picture::MaskAlpha() const {
  const std::uint64_t maskVersion = mask_->version_;
  if (alphaMaskVersion_ == maskVersion) return maskAlpha_;
  const int w = Width();
  const int h = Height();
  maskAlpha_.resize(std::size_t(w) * std::size_t(h));
  const QImage& m = mask_->image_;
  for (int y = 0; y < h; ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(m.constScanLine(std::min(y, m.height() - 1)));
    std::uint8_t* out = maskAlpha_.data() + std::size_t(y) * std::size_t(w);
    for (int x = 0; x < w; ++x)
      out[x] = std::uint8_t(255 - qGray(row[std::min(x, m.width() - 1)]));
  }
  alphaMaskVersion_ = maskVersion;
  return maskAlpha_;
}

const QImage& Picture::Drawable() const {
  if (!mask_) return image_;
  const std::uint64_t maskVersion = mask_->version_;
  if (drawableVersion_ == version_ && drawableMaskVersion_ == maskVersion) return drawable_;
  const std::vector<std::uint8_t>& alpha = MaskAlpha();
  if (drawable_.size() != image_.size()) {
    drawable_ = QImage(image_.size(), QImage::Format_ARGB32_Premultiplied);
  }
  const int w = Width();
  for (int y = 0; y < Height(); ++y) {
    const auto* in = reinterpret_cast<const QRgb*>(image_.constScanLine(y));
    auto* out = reinterpret_cast<QRgb*>(drawable_.scanLine(y));
    const std::uint8_t* a = alpha.data() + std::size_t(y) * std::size_t(w);
    for (int x = 0; x < w; ++x) {
      const QRgb p = uniform_ ? *uniform_ : in[x];
      out[x] = qPremultiply(qRgba(qRed(p), qGreen(p), qBlue(p), a[x]));
    }
  }
  drawableVersion_ = version_;
  drawableMaskVersion_ = maskVersion;
  return drawable_;
}

namespace {

// Where one row or column of destination pixels samples the source: the two neighbouring
// source pixels and the weight of the second, in 1/256.
struct Tap {
  int first;
  int second;
  int weight;
};

// Consecutive destination columns that sample the same two source columns.
struct Run {
  int first;
  int second;
  int start;
  int count;
};

// Scratch space of the scaled draws through a mask. It only grows, so drawing allocates
// nothing once it has seen the largest glyph.
struct ScaleScratch {
  std::vector<Tap> columns;
  std::vector<Run> runs;
  std::vector<Tap> rows;
  std::vector<int> line;  // one source row's alpha, interpolated between two rows, times 256
  QImage strip;
};

ScaleScratch& Scratch() {
  static ScaleScratch scratch;
  return scratch;
}

constexpr int kStripRows = 32;

// The bilinear taps of destination pixels [from, from + count) of a destination of length
// destLength starting at destStart, over the source span [sourceStart, sourceStart + length).
// Pixel centres map to pixel centres; the position is kept in 1/256 of a source pixel.
void ComputeTaps(std::vector<Tap>& taps, std::int64_t from, int count, std::int64_t destStart,
                 std::int64_t destLength, int sourceStart, int sourceLength) {
  taps.resize(std::size_t(count));
  const int last = sourceLength - 1;
  for (int i = 0; i < count; ++i) {
    const std::int64_t centre = 2 * (from + i - destStart) + 1;
    const std::int64_t u = centre * sourceLength * 256 / (2 * destLength) - 128;
    const std::int64_t base = u >= 0 ? u >> 8 : -((-u + 255) >> 8);
    const int s0 = int(std::clamp<std::int64_t>(base, 0, last));
    const int s1 = int(std::clamp<std::int64_t>(base + 1, 0, last));
    taps[std::size_t(i)] = Tap{sourceStart + s0, sourceStart + s1, int(u - base * 256)};
  }
}

// dst with src (premultiplied) drawn over it, for a destination without alpha.
inline QRgb Over(QRgb src, QRgb dst) {
  const std::uint32_t inverse = 255 - qAlpha(src);
  std::uint32_t rb = (dst & 0xff00ff) * inverse;
  rb = ((rb + ((rb >> 8) & 0xff00ff) + 0x800080) >> 8) & 0xff00ff;
  std::uint32_t ag = ((dst >> 8) & 0xff00ff) * inverse;
  ag = (ag + ((ag >> 8) & 0xff00ff) + 0x800080) & 0xff00ff00;
  return (ag | rb) + src;
}

// Puts a premultiplied colour: over what is there when blending, else in its place.
template <bool kBlend>
inline void Put(QRgb* out, QRgb c) {
  if (!kBlend || qAlpha(c) == 255) {
    *out = c;
  } else if (qAlpha(c) != 0) {
    *out = Over(c, *out);
  }
}

// One destination row of a glyph in one colour: runs of equal alpha are filled or skipped
// whole, the rest goes pixel by pixel. lut maps a sampled alpha to the premultiplied colour.
template <bool kBlend>
void UniformRow(const int* __restrict line, const Run* runs, std::size_t runCount,
                const Tap* __restrict columns, const QRgb* __restrict lut, QRgb* __restrict out) {
  for (std::size_t r = 0; r < runCount; ++r) {
    const Run& run = runs[r];
    QRgb* o = out + run.start;
    const int v0 = line[run.first];
    const int v1 = line[run.second];
    if (v0 == v1) {
      const QRgb c = lut[v0 >> 8];
      if (!kBlend || qAlpha(c) == 255) {
        std::fill_n(o, run.count, c);
      } else if (qAlpha(c) != 0) {
        for (int i = 0; i < run.count; ++i)
          o[i] = Over(c, o[i]);
      }
      continue;
    }
    const Tap* t = columns + run.start;
    for (int i = 0; i < run.count; ++i) {
      const int w = t[i].weight;
      Put<kBlend>(o + i, lut[(v0 * (256 - w) + v1 * w) >> 16]);
    }
  }
}

}  // namespace

// Masks are stencils: a plain bilinear enlargement of one blurs its edges over several pixels.
// The enlargement here samples the mask bilinearly and then steepens the ramp by the scale
// factor, so an edge stays about one pixel wide at any size while staying smooth along its
// length. Into a picture the result is blended in place; onto a painter it goes in strips.
void Picture::DrawScaledThroughMask(QPainter* painter, QImage* target, QSize surface, QRect source,
                                    int destX, int destY, int destWidth, int destHeight) const {
  const double ratio = painter && painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
  // In device pixels, computed in 64 bits: a destination may reach far outside the surface.
  const std::int64_t dx = std::llround(destX * ratio);
  const std::int64_t dy = std::llround(destY * ratio);
  const std::int64_t dw = std::max<std::int64_t>(1, std::llround(destWidth * ratio));
  const std::int64_t dh = std::max<std::int64_t>(1, std::llround(destHeight * ratio));
  const QRect visible = ClipToSurface(dx, dy, dw, dh, int(std::lround(surface.width() * ratio)),
                                      int(std::lround(surface.height() * ratio)));
  if (visible.isEmpty()) return;

  // What each alpha level of the bilinear sample becomes: steepened, then in the colour.
  const double enlargement = std::min(double(dw) / source.width(), double(dh) / source.height());
  const int steepness = int(std::max(1.0, enlargement) * 256.0);
  std::uint8_t steep[256];
  for (int a = 0; a < 256; ++a) {
    steep[a] = std::uint8_t(std::clamp(128 + (((a - 128) * steepness) >> 8), 0, 255));
  }
  QRgb colourOf[256];
  if (uniform_) {
    for (int a = 0; a < 256; ++a) {
      colourOf[a] =
          qPremultiply(qRgba(qRed(*uniform_), qGreen(*uniform_), qBlue(*uniform_), steep[a]));
    }
  }

  const std::vector<std::uint8_t>& alpha = MaskAlpha();
  const std::size_t stride = std::size_t(Width());
  ScaleScratch& s = Scratch();
  ComputeTaps(s.columns, visible.x(), visible.width(), dx, dw, source.x(), source.width());
  ComputeTaps(s.rows, visible.y(), visible.height(), dy, dh, source.y(), source.height());
  s.line.resize(stride);
  if (!target && (s.strip.width() < visible.width() || s.strip.height() < kStripRows)) {
    s.strip = QImage(std::max(s.strip.width(), visible.width()), kStripRows,
                     QImage::Format_ARGB32_Premultiplied);
  }
  const int first = source.x();
  const int end = source.x() + source.width();

  // Where a run's two source columns hold the same alpha, the whole run is one colour: at large
  // sizes most of a glyph is such runs, filled or skipped whole.
  s.runs.clear();
  for (int i = 0; i < visible.width(); ++i) {
    const Tap& t = s.columns[std::size_t(i)];
    if (s.runs.empty() || s.runs.back().first != t.first || s.runs.back().second != t.second) {
      s.runs.push_back(Run{t.first, t.second, i, 0});
    }
    ++s.runs.back().count;
  }

  auto renderRow = [&](int j, QRgb* out, bool blend) {
    // Between the two source rows once, then along the row.
    const Tap& ty = s.rows[std::size_t(j)];
    const std::uint8_t* a0 = alpha.data() + std::size_t(ty.first) * stride;
    const std::uint8_t* a1 = alpha.data() + std::size_t(ty.second) * stride;
    for (int x = first; x < end; ++x) {
      s.line[std::size_t(x)] = a0[x] * (256 - ty.weight) + a1[x] * ty.weight;
    }
    const int* line = s.line.data();
    if (uniform_) {
      if (blend) {
        UniformRow<true>(line, s.runs.data(), s.runs.size(), s.columns.data(), colourOf, out);
      } else {
        UniformRow<false>(line, s.runs.data(), s.runs.size(), s.columns.data(), colourOf, out);
      }
      return;
    }
    // A picture of many colours: each pixel takes the colour of its nearest source pixel.
    const auto* colours =
        reinterpret_cast<const QRgb*>(image_.constScanLine(ty.weight < 128 ? ty.first : ty.second));
    for (int i = 0; i < visible.width(); ++i) {
      const Tap& tx = s.columns[std::size_t(i)];
      const int a = (line[tx.first] * (256 - tx.weight) + line[tx.second] * tx.weight) >> 16;
      const QRgb p = colours[tx.weight < 128 ? tx.first : tx.second];
      const QRgb c = qPremultiply(qRgba(qRed(p), qGreen(p), qBlue(p), steep[a]));
      if (blend) {
        Put<true>(out + i, c);
      } else {
        Put<false>(out + i, c);
      }
    }
  };

  if (target) {
    for (int j = 0; j < visible.height(); ++j) {
      auto* row = reinterpret_cast<QRgb*>(target->scanLine(visible.y() + j)) + visible.x();
      renderRow(j, row, true);
    }
    return;
  }
  s.strip.setDevicePixelRatio(ratio);
  painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
  for (int top = 0; top < visible.height(); top += kStripRows) {
    const int rows = std::min(kStripRows, visible.height() - top);
    for (int j = 0; j < rows; ++j) {
      renderRow(top + j, reinterpret_cast<QRgb*>(s.strip.scanLine(j)), false);
    }
    painter->drawImage(QRectF(visible.x() / ratio, (visible.y() + top) / ratio,
                              visible.width() / ratio, rows / ratio),
                       s.strip, QRectF(0, 0, visible.width(), rows));
  }
}

bool Picture::IsExportFormatSupported(const QString& typeIdentifier) {
  QByteArray format;
  if (typeIdentifier == u"public.tiff") format = "tiff";
  if (typeIdentifier == u"public.png") format = "png";
  if (typeIdentifier == u"public.jpeg") format = "jpeg";
  return !format.isEmpty() && QImageWriter::supportedImageFormats().contains(format);
}

void Picture::Save(const FolderItem& file, int format, int quality) const {
  const char* writerFormat = WriterFormat(format);
  if (!writerFormat) {
    throw SaveError(file.Name(), QStringLiteral("format %1 is not known.").arg(format));
  }
  QSaveFile out(file.Path());
  if (!out.open(QIODevice::WriteOnly)) throw SaveError(file.Name(), out.errorString());
  // Encoded in memory, then written in one piece: an image handler may not notice a failed
  // write to its device (the TIFF writer loses those at its end), the one write here is checked.
  QByteArray bytes;
  {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, writerFormat);
    writer.setQuality(quality);
    if (!writer.write(image_)) {
      out.cancelWriting();
      throw SaveError(file.Name(), writer.errorString());
    }
  }
  if (out.write(bytes) != bytes.size()) {
    const QString reason = out.errorString();
    out.cancelWriting();
    throw SaveError(file.Name(), reason);
  }
  CommitSave(out, file.Name());
}

PicturePtr Picture::OpenFromApp(const QString& name) {
  QImage image(QStringLiteral(":/pictures/") + name);
  if (image.isNull()) return nullptr;
  return std::make_shared<Picture>(std::move(image));
}

}  // namespace fw
