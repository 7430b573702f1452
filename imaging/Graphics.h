#pragma once

#include "base/Color.h"

class QPainter;

namespace fw {

class ExportPicture;
class Picture;

// A drawing surface: a widget's paint event or a picture. Fills use the fore colour. Drawing a
// picture scales its source rectangle into the destination rectangle, clips at the surface and
// goes through the source's mask, if it has one.
class Graphics {
 public:
  // A surface over a painter that someone else owns, such as a widget's paint event.
  Graphics(QPainter& painter, int width, int height);
  // The surface of a picture: what is drawn through it changes the picture at once.
  explicit Graphics(Picture& target);
  // The surface of a picture for export: what is drawn through it is recorded, with the source
  // as it is at that moment, and drawn when the picture is saved.
  explicit Graphics(ExportPicture& target);
  Graphics(const Graphics&) = delete;
  Graphics& operator=(const Graphics&) = delete;

  Color ForeColor() const { return foreColor_; }
  void SetForeColor(Color c) { foreColor_ = c; }
  int Width() const { return width_; }
  int Height() const { return height_; }

  void FillRect(int x, int y, int width, int height);
  void DrawPicture(const Picture& source, int destX, int destY, int destWidth, int destHeight,
                   int sourceX, int sourceY, int sourceWidth, int sourceHeight);

 private:
  QPainter* painter_ = nullptr;
  Picture* target_ = nullptr;
  ExportPicture* record_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  Color foreColor_ = 0;  // black
};

}  // namespace fw
