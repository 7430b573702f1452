#include "LogoRenderer.h"

#include "editor/Module1.h"
#include "imaging/Picture.h"

void DrawLogo(fw::Graphics& g, const std::vector<LogoInfoPtr>& logo, fw::Color background,
              const std::vector<fw::PicturePtr>& glyphs, std::int32_t size, double scale) {
  const int width = g.Width();
  const int height = g.Height();
  g.SetForeColor(background);
  g.FillRect(0, 0, width, height);

  const int last = int(logo.size()) - 1;
  for (int n = last; n >= 1; --n) {
    const LogoInfo* r = logo[std::size_t(n)].get();
    if (!r) continue;
    if (r->mChr < 0 || std::size_t(r->mChr) >= glyphs.size()) continue;
    const std::int32_t x = fw::ToInt32(double(r->mPos) * scale);
    if (std::int64_t(x) >= width || std::int64_t(x) + size <= 0 || size <= 0 || height <= 0) {
      continue;
    }
    fw::Picture& p = *glyphs[std::size_t(r->mChr)];
    p.Graphics().SetForeColor(r->mColor);
    p.Graphics().FillRect(0, 0, Module1::kGlyphCell, Module1::kGlyphCell);
    g.DrawPicture(p, x, 0, size, size, 0, 0, Module1::kGlyphCell, Module1::kGlyphCell);
  }
}
