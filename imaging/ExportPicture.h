#pragma once

#include "ImageEncoder.h"
#include "Picture.h"

#include <QImage>
#include <QRect>

#include <cstddef>
#include <memory>
#include <variant>
#include <vector>

namespace fw {

class FolderItem;

// A picture made to be saved, of any allowed size. Its Graphics records the fills and the draws
// made through it, each draw with its source's colour and mask as they are at that moment, and
// Save draws the record again band by band of rows, handing each band to the file's encoder as
// soon as it is drawn. So the picture costs the memory of one band, not of the whole picture,
// and what it saves does not change when its sources change after the drawing.
//
// Drawn again in bands, fills and draws through a mask give exactly the pixels that a Picture
// of the same size shows after the same drawing.
class ExportPicture {
 public:
  // About this many bytes of pixels are drawn and encoded at a time.
  static constexpr std::size_t kBandBytes = std::size_t(4) << 20;

  // Throws Error unless width and height lie in 1 to 32767. Only a depth of 32 is made.
  ExportPicture(int width, int height, int depth = 32, std::size_t bandBytes = kBandBytes);
  ExportPicture(const ExportPicture&) = delete;
  ExportPicture& operator=(const ExportPicture&) = delete;
  ~ExportPicture();

  int Width() const { return width_; }
  int Height() const { return height_; }
  fw::Graphics& Graphics();
  // Rows of a band: every band but the last has this many.
  int BandRows() const { return bandRows_; }

  // Rows are drawn and saved in this many bands.
  int BandCount() const;
  // Writes the picture to the file in the format of that code (Picture::kFormatTIFF, ...),
  // quality -1 being the format's default. The file appears only once it is written whole; until
  // then an old file of that name stays as it was. bandWritten, when given, is told of every band
  // saved and may stop the save: then the result is false and nothing is written. Throws Error
  // when the file cannot be written.
  bool Save(const FolderItem& file, int format, int quality,
            const BandWritten& bandWritten = {}) const;

  // Draws rows [top, top + count) of the picture into the first count rows of band (RGB32,
  // Width() wide).
  void DrawBand(int top, int count, QImage& band) const;

 private:
  friend class fw::Graphics;
  struct Fill {
    QRect area;  // inside the picture
    QRgb rgb;
  };
  struct Draw {
    QRect dest;         // as asked, which may reach outside the picture
    QRect source;       // the part of the source that is drawn
    QRect sourceAsked;  // the source rectangle as asked
    bool scaled = false;
    bool masked = false;
    Stencil stencil;  // the source and its mask, when it has one
    QImage image;     // else the source's image
  };
  using Op = std::variant<Fill, Draw>;

  void RecordFill(QRect area, QRgb rgb);
  void RecordDraw(const Picture& source, QRect dest, QRect sourceRect, QRect sourceAsked);
  void Record(Op op);
  void DrawInto(const Fill& f, QRect rows, QImage& band) const;
  void DrawInto(const Draw& d, QRect rows, QImage& band) const;

  int width_;
  int height_;
  int bandRows_;
  std::vector<Op> ops_;
  std::unique_ptr<fw::Graphics> graphics_;
};

}  // namespace fw
