#pragma once

#include "editor/LogoInfo.h"
#include "imaging/Picture.h"

#include <cstdint>
#include <vector>

// Draws a logo onto a surface: the background over all of it, then the glyph of every character
// from the last to the first (so the earlier character lies on top), each size x size pixels in
// its own colour, its left edge at its x position times scale and its top at y = 0.
//
// The glyph pictures are shared and refilled in the character's colour just before each draw.
// A glyph index outside the glyph table is skipped, and so is a glyph that falls wholly outside
// the surface, since it would change no pixel. Drawing makes no picture.
void DrawLogo(fw::Graphics& g, const std::vector<LogoInfoPtr>& logo, fw::Color background,
              const std::vector<fw::PicturePtr>& glyphs, std::int32_t size, double scale);
