#include "Picture.h"

#include "EdgeDistance.h"
#include "ImageEncoder.h"
#include "base/Error.h"
#include "base/FolderItem.h"

#include <QCoreApplication>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace fw {

namespace {

constexpr int kStripRows = 32;  // rows of a scaled draw onto a painter, drawn at a time

}  // namespace

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

const std::shared_ptr<const Outline>& Picture::MaskOutline() const {
  const std::uint64_t maskVersion = mask_->version_;
  if (outlineMaskVersion_ == maskVersion) return maskOutline_;
  maskOutline_ = TraceOutline(MaskAlpha()->data(), Width(), Height());
  outlineMaskVersion_ = maskVersion;
  return maskOutline_;
}

Stencil Picture::CurrentStencil(bool scaled) const {
  // A picture of one colour is drawn from that colour; the image is kept only when it has more.
  Stencil stencil{
      Width(), Height(), MaskAlpha(), nullptr, nullptr, uniform_, uniform_ ? QImage() : image_};
  if (scaled) {
    stencil.outline = MaskOutline();
    if (!stencil.outline) stencil.distance = MaskDistance();
  }
  return stencil;
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
