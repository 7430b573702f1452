// A glyph of the sheet drawn alone, black on white, at a height, as the export draws it: what the
// glyph edge tests and the glyph measuring tool look at.
#pragma once

#include "editor/Module1.h"
#include "imaging/Picture.h"

#include <QImage>

#include <cstddef>

inline QImage GlyphAlone(int glyph, int height) {
  fw::Picture picture(height, height);
  fw::Picture& source = *Module1::gMoji[std::size_t(glyph)];
  source.Graphics().SetForeColor(0);
  source.Graphics().FillRect(0, 0, Module1::kGlyphCell, Module1::kGlyphCell);
  picture.Graphics().DrawPicture(source, 0, 0, height, height, 0, 0, Module1::kGlyphCell,
                                 Module1::kGlyphCell);
  return picture.Image();
}
