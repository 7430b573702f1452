#include "ExportPicture.h"

#include "ImageEncoder.h"
#include "base/Error.h"
#include "base/FolderItem.h"

#include <QCoreApplication>
#include <QPainter>

#include <algorithm>
#include <new>

namespace fw {

namespace {

constexpr QRgb kWhite = 0xffffffff;  // what a new picture holds

int BandRowsFor(int width, int height, std::size_t bandBytes) {
  const std::size_t rowBytes = std::size_t(width) * 4;
  return int(std::clamp<std::size_t>(bandBytes / rowBytes, 1, std::size_t(height)));
}

void FillRows(QImage& band, QRect area, int top, QRgb rgb) {
  for (int y = area.top(); y <= area.bottom(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(band.scanLine(y - top));
    std::fill_n(row + area.left(), area.width(), rgb);
  }
}

}  // namespace

ExportPicture::ExportPicture(int width, int height, int /*depth*/, std::size_t bandBytes)
    : width_(width), height_(height) {
  if (!Picture::SizeAllowed(width, height)) {
    throw Error(QStringLiteral("Width/Height needs to be in the range 1-32767"));
  }
  bandRows_ = BandRowsFor(width, height, bandBytes);
}

ExportPicture::~ExportPicture() = default;

fw::Graphics& ExportPicture::Graphics() {
  if (!graphics_) graphics_ = std::make_unique<fw::Graphics>(*this);
  return *graphics_;
}

void ExportPicture::Record(Op op) {
  try {
    ops_.push_back(std::move(op));
  } catch (const std::bad_alloc&) {
    throw Error(QCoreApplication::translate("fw::ExportPicture",
                                            "There is not enough memory to draw the picture."));
  }
}

void ExportPicture::RecordFill(QRect area, QRgb rgb) {
  // A fill of the whole picture hides everything drawn before it.
  if (area == QRect(0, 0, width_, height_)) ops_.clear();
  Record(Fill{area, rgb});
}

void ExportPicture::RecordDraw(const Picture& source, QRect dest, QRect sourceRect,
                               QRect sourceAsked) {
  Draw d;
  d.dest = dest;
  d.source = sourceRect;
  d.sourceAsked = sourceAsked;
  d.scaled = dest.size() != sourceAsked.size();
  d.masked = bool(source.mask_);
  if (d.masked) {
    d.stencil = source.CurrentStencil(d.scaled);
  } else {
    d.image = source.Drawable();  // shares the pixels until the source changes
  }
  Record(std::move(d));
}

void ExportPicture::DrawBand(int top, int count, QImage& band) const {
  const QRect rows(0, top, width_, count);
  const bool coveredByFill = !ops_.empty() && std::holds_alternative<Fill>(ops_.front()) &&
                             std::get<Fill>(ops_.front()).area == QRect(0, 0, width_, height_);
  if (!coveredByFill) FillRows(band, rows, top, kWhite);
  for (const Op& op : ops_)
    std::visit([&](const auto& o) { DrawInto(o, rows, band); }, op);
}

void ExportPicture::DrawInto(const Fill& f, QRect rows, QImage& band) const {
  const QRect area = f.area & rows;
  if (!area.isEmpty()) FillRows(band, area, rows.top(), f.rgb);
}

void ExportPicture::DrawInto(const Draw& d, QRect rows, QImage& band) const {
  if (d.masked && d.scaled) {
    // What Graphics draws into a Picture, clipped to the band: same taps, same pixels.
    const DeviceRect dest{d.dest.x(), d.dest.y(), d.dest.width(), d.dest.height()};
    const QRect visible = d.dest & QRect(0, 0, width_, height_) & rows;
    if (visible.isEmpty()) return;
    StencilScaler(d.stencil, d.source, dest, visible)
        .DrawRows(visible.y(), visible.height(), band, rows.topLeft(), true);
    return;
  }
  // The other draws go through QPainter, as into a Picture, shifted by the band's top: a shift
  // by whole pixels changes no pixel of an unscaled draw.
  QImage drawable;
  if (d.masked) MakeDrawable(d.stencil, drawable);
  QPainter painter(&band);
  painter.setClipRect(QRect(0, 0, width_, rows.height()));
  painter.translate(0, -rows.top());
  painter.setRenderHint(QPainter::SmoothPixmapTransform, d.scaled);
  painter.drawImage(QRectF(d.dest), d.masked ? drawable : d.image, QRectF(d.sourceAsked));
}

int ExportPicture::BandCount() const {
  return (height_ + bandRows_ - 1) / bandRows_;
}

bool ExportPicture::Save(const FolderItem& file, int format, int quality,
                         const BandWritten& bandWritten) const {
  QImage band;
  const BandSource source = [&](int top, int count) {
    if (band.isNull()) {
      band = QImage(width_, bandRows_, QImage::Format_RGB32);
      if (band.isNull()) throw std::bad_alloc();
    }
    DrawBand(top, count, band);
    return ImageRows{band.constBits(), band.bytesPerLine(), count};
  };
  return SaveImage(file, format, quality, QSize(width_, height_), bandRows_, source, bandWritten);
}

}  // namespace fw
