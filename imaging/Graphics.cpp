#include "Graphics.h"

#include "ExportPicture.h"
#include "Picture.h"

#include <QPainter>

#include <algorithm>

namespace fw {

namespace {

bool MissesSurface(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h, int surfaceWidth,
                   int surfaceHeight) {
  return w <= 0 || h <= 0 || x >= surfaceWidth || y >= surfaceHeight || x + w <= 0 || y + h <= 0;
}

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
  const QRgb rgb = ToQRgb(foreColor_);
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

}  // namespace fw
