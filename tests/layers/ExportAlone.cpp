// A picture exported with the pictures' engine alone, without a widget, a window or a dialog: a
// glyph drawn through its mask over a background, saved as PNG, TIFF or JPEG.
// usage: quenz-export-alone FILE png|tiff|jpeg
#include "base/Error.h"
#include "base/FolderItem.h"
#include "imaging/ExportPicture.h"
#include "imaging/Graphics.h"
#include "imaging/Picture.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s FILE png|tiff|jpeg\n", argv[0]);
    return 2;
  }
  const int format = std::strcmp(argv[2], "tiff") == 0   ? fw::Picture::kFormatTIFF
                     : std::strcmp(argv[2], "jpeg") == 0 ? fw::Picture::kFormatJPEG
                                                         : fw::Picture::kFormatPNG;
  try {
    // A square ring as the glyph: its mask is black where it shows, white in its hole.
    fw::Picture glyph(46, 46);
    glyph.Graphics().SetForeColor(0x0000ff);
    glyph.Graphics().FillRect(0, 0, 46, 46);
    const fw::PicturePtr mask = glyph.Mask(true);
    mask->Graphics().SetForeColor(0xffffff);
    mask->Graphics().FillRect(10, 10, 26, 26);

    fw::ExportPicture logo(300, 200);
    logo.Graphics().SetForeColor(0xffffff);
    logo.Graphics().FillRect(0, 0, 300, 200);
    logo.Graphics().DrawPicture(glyph, 50, 0, 200, 200, 0, 0, 46, 46);
    if (!logo.Save(fw::FolderItem(QString::fromLocal8Bit(argv[1])), format, -1)) return 1;
  } catch (const fw::Error& e) {
    std::fprintf(stderr, "%s\n", qPrintable(e.Text()));
    return 1;
  }
  return 0;
}
