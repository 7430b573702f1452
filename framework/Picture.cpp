#include "Picture.h"

#include "EdgeDistance.h"
#include "Error.h"
#include "ExportPicture.h"
#include "Files.h"
#include "ImageEncoders.h"

#include <QCoreApplication>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace fw {

namespace {

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

constexpr int kStripRows = 32;  // rows of a scaled draw onto a painter, drawn at a time

}  // namespace

Graphics::Graphics(QPainter& painter, int width, int height)
    : painter_(&painter), width_(width), height_(height) {}

Graphics::Graphics(Picture& target)
    : target_(&target), width_(target.Width()), height_(target.Height()) {}

Graphics::Graphics(ExportPicture& target)
    : record_(&target), width_(target.Width()), height_(target.Height()) {}

void Graphics::FillRect(int x, int y, int width, int height) {
  const QRect area = ClipToSurface(x, y, width, height, width_, height_);
  if (area.isEmpty()) return;
  const QRgb rgb = ToRgb(foreColor_);
  if (painter_) {
    painter_->fillRect(area, QColor(rgb));
    return;
  }
  if (record_) {
    record_->RecordFill(area, rgb);
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
  if (record_) {
    record_->RecordDraw(source, QRect(destX, destY, destWidth, destHeight), sourceRect,
                        QRect(sourceX, sourceY, sourceWidth, sourceHeight));
    return;
  }
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
  if (!SizeAllowed(width, height)) {
    throw Error(QStringLiteral("Width/Height needs to be in the range 1-32767"));
  }
  image_ = QImage(width, height, QImage::Format_RGB32);
  if (image_.isNull()) {
    throw Error(QCoreApplication::translate(
                    "fw::Picture", "There is not enough memory for a picture of %1 × %2 pixels.")
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

const std::shared_ptr<const std::vector<std::uint8_t>>& Picture::MaskAlpha() const {
  const std::uint64_t maskVersion = mask_->version_;
  if (maskAlpha_ && alphaMaskVersion_ == maskVersion) return maskAlpha_;
  const int w = Width();
  const int h = Height();
  auto alpha = std::make_shared<std::vector<std::uint8_t>>(std::size_t(w) * std::size_t(h));
  const QImage& m = mask_->image_;
  for (int y = 0; y < h; ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(m.constScanLine(std::min(y, m.height() - 1)));
    std::uint8_t* out = alpha->data() + std::size_t(y) * std::size_t(w);
    for (int x = 0; x < w; ++x)
      out[x] = std::uint8_t(255 - qGray(row[std::min(x, m.width() - 1)]));
  }
  maskAlpha_ = std::move(alpha);
  alphaMaskVersion_ = maskVersion;
  return maskAlpha_;
}

const std::shared_ptr<const std::vector<float>>& Picture::MaskDistance() const {
  const std::uint64_t maskVersion = mask_->version_;
  if (maskDistance_ && distanceMaskVersion_ == maskVersion) return maskDistance_;
  maskDistance_ = std::make_shared<const std::vector<float>>(
      EdgeDistance(MaskAlpha()->data(), Width(), Height()));
  distanceMaskVersion_ = maskVersion;
  return maskDistance_;
}

Stencil Picture::CurrentStencil(bool scaled) const {
  // A picture of one colour is drawn from that colour; the image is kept only when it has more.
  return Stencil{Width(),     Height(),
                 MaskAlpha(), scaled ? MaskDistance() : nullptr,
                 uniform_,    uniform_ ? QImage() : image_};
}

const QImage& Picture::Drawable() const {
  if (!mask_) return image_;
  const std::uint64_t maskVersion = mask_->version_;
  if (drawableVersion_ == version_ && drawableMaskVersion_ == maskVersion) return drawable_;
  MakeDrawable(CurrentStencil(false), drawable_);
  drawableVersion_ = version_;
  drawableMaskVersion_ = maskVersion;
  return drawable_;
}

// Into a picture the draw is blended in place; onto a painter it goes in strips, each drawn
// with the painter.
void Picture::DrawScaledThroughMask(QPainter* painter, QImage* target, QSize surface, QRect source,
                                    int destX, int destY, int destWidth, int destHeight) const {
  const double ratio = painter && painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
  const DeviceRect dest{std::llround(destX * ratio), std::llround(destY * ratio),
                        std::max<std::int64_t>(1, std::llround(destWidth * ratio)),
                        std::max<std::int64_t>(1, std::llround(destHeight * ratio))};
  const QRect visible = ClipToSurface(dest.x, dest.y, dest.width, dest.height,
                                      int(std::lround(surface.width() * ratio)),
                                      int(std::lround(surface.height() * ratio)));
  if (visible.isEmpty()) return;
  const Stencil stencil = CurrentStencil(true);
  const StencilScaler scaler(stencil, source, dest, visible);
  if (target) {
    scaler.DrawRows(visible.y(), visible.height(), *target, QPoint(0, 0), true);
    return;
  }
  static QImage strip;  // reused by every draw onto a painter
  if (strip.width() < visible.width() || strip.height() < kStripRows) {
    strip = QImage(std::max(strip.width(), visible.width()), kStripRows,
                   QImage::Format_ARGB32_Premultiplied);
  }
  strip.setDevicePixelRatio(ratio);
  painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
  for (int top = 0; top < visible.height(); top += kStripRows) {
    const int rows = std::min(kStripRows, visible.height() - top);
    const QRect part(visible.x(), visible.y() + top, visible.width(), rows);
    scaler.DrawRows(part.y(), rows, strip, part.topLeft(), false);
    painter->drawImage(
        QRectF(part.x() / ratio, part.y() / ratio, part.width() / ratio, rows / ratio), strip,
        QRectF(0, 0, part.width(), rows));
  }
}

bool Picture::IsExportFormatSupported(const QString& typeIdentifier) {
  // The encoders of all three are part of the program.
  return typeIdentifier == u"public.tiff" || typeIdentifier == u"public.png" ||
         typeIdentifier == u"public.jpeg";
}

void Picture::Save(const FolderItem& file, int format, int quality) const {
  // The picture is already whole in memory: it goes to the encoder as one band.
  SaveImage(file, format, quality, image_.size(), Height(), [this](int top, int count) {
    return ImageRows{image_.constScanLine(top), image_.bytesPerLine(), count};
  });
}

PicturePtr Picture::OpenFromApp(const QString& name) {
  QImage image(QStringLiteral(":/pictures/") + name);
  if (image.isNull()) return nullptr;
  return std::make_shared<Picture>(std::move(image));
}

}  // namespace fw
