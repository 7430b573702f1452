#pragma once

#include "Graphics.h"
#include "Stencil.h"

#include <QImage>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace fw {

class ExportPicture;
class FolderItem;
class Picture;
using PicturePtr = std::shared_ptr<Picture>;

// An off-screen picture, optionally with a mask: where the mask is dark the picture shows, where
// it is light what lies below shows through; grey values blend.
class Picture {
 public:
  // The sides that a picture can have: 1 to kMaxSide.
  static constexpr int kMaxSide = 32767;
  static bool SizeAllowed(std::int64_t width, std::int64_t height) {
    return width >= 1 && width <= kMaxSide && height >= 1 && height <= kMaxSide;
  }

  // Throws Error unless width and height lie in 1 to 32767, and when the memory for the picture
  // cannot be had. Only a depth of 32 is made; the argument is kept for the callers' sake.
  Picture(int width, int height, int depth = 32);
  explicit Picture(QImage image);  // takes the image as it is
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;

  int Width() const { return image_.width(); }
  int Height() const { return image_.height(); }
  fw::Graphics& Graphics();
  // The picture's mask; with create, one is made (black: the picture shows whole) when there is
  // none. Without create, nullptr when there is none.
  PicturePtr Mask(bool create);
  const QImage& Image() const { return image_; }

  // Format codes of Save.
  static constexpr int kFormatTIFF = 403;
  static constexpr int kFormatPNG = 150;
  static constexpr int kFormatJPEG = 151;
  // Whether pictures can be written in the format of that uniform type identifier
  // ("public.tiff", "public.png", "public.jpeg").
  static bool IsExportFormatSupported(const QString& typeIdentifier);
  // Writes the picture; quality -1 is the format's default. The file appears only once it is
  // written whole, and an old file stays as it was until then. Throws Error when it cannot be
  // written.
  void Save(const FolderItem& file, int format, int quality) const;

  // A picture compiled into the program, by name; nullptr when there is none of that name.
  static PicturePtr OpenFromApp(const QString& name);

 private:
  friend class Graphics;
  friend class ExportPicture;
  void Changed() { ++version_; }
  // The picture's colours with its mask as alpha, ready to be drawn; rebuilt only when the
  // picture or its mask changed since the last draw. Without a mask, the picture itself.
  const QImage& Drawable() const;
  // The mask as alpha, one byte a pixel (255 where the mask is black); made anew when the mask
  // changed, so that a stencil taken before keeps the old shape.
  const std::shared_ptr<const std::vector<std::uint8_t>>& MaskAlpha() const;
  // The outline traced from the mask (see Outline), made once for each shape of the mask;
  // nullptr for a mask too large to trace.
  const std::shared_ptr<const Outline>& MaskOutline() const;
  // The distance to the mask's edge (see EdgeDistance), made once for each shape of the mask.
  const std::shared_ptr<const std::vector<float>>& MaskDistance() const;
  // The picture and its mask as they are now; only for a picture with a mask. A stencil for a
  // scaled draw carries the mask's outline too (or, for a mask too large to trace, the distance
  // to its edge).
  Stencil CurrentStencil(bool scaled) const;
  // Draws the source rectangle of the picture through its mask, scaled into the destination:
  // straight into target (a picture's image) when given, else through painter.
  void DrawScaledThroughMask(QPainter* painter, QImage* target, QSize surface, QRect source,
                             int destX, int destY, int destWidth, int destHeight) const;

  QImage image_;
  std::unique_ptr<fw::Graphics> graphics_;
  PicturePtr mask_;
  std::uint64_t version_ = 0;
  // Set while the whole picture is known to be one colour, which makes refills of that same
  // colour free and the masked image cheap to build.
  std::optional<QRgb> uniform_;

  mutable QImage drawable_;
  mutable std::shared_ptr<const std::vector<std::uint8_t>> maskAlpha_;
  mutable std::uint64_t drawableVersion_ = ~std::uint64_t(0);
  mutable std::uint64_t drawableMaskVersion_ = ~std::uint64_t(0);
  mutable std::uint64_t alphaMaskVersion_ = ~std::uint64_t(0);
  mutable std::shared_ptr<const Outline> maskOutline_;
  mutable std::uint64_t outlineMaskVersion_ = ~std::uint64_t(0);
  mutable std::shared_ptr<const std::vector<float>> maskDistance_;
  mutable std::uint64_t distanceMaskVersion_ = ~std::uint64_t(0);
};

}  // namespace fw
