#include "saver/effects/uEffectGallery.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "graphics/uPngWriter.h"
#include "saver/effects/PSEffect.h"

namespace ky {

namespace {

struct TGlyph {
  char Ch;
  const char* Rows;  // seven rows of five pixels, "#" set, separated by blanks
};

constexpr TGlyph kGlyphs[] = {
    {'A', ".###. #...# #...# ##### #...# #...# #...#"},
    {'B', "####. #...# #...# ####. #...# #...# ####."},
    {'C', ".###. #...# #.... #.... #.... #...# .###."},
    {'D', "####. #...# #...# #...# #...# #...# ####."},
    {'E', "##### #.... #.... ####. #.... #.... #####"},
    {'F', "##### #.... #.... ####. #.... #.... #...."},
    {'G', ".###. #...# #.... #.### #...# #...# .####"},
    {'H', "#...# #...# #...# ##### #...# #...# #...#"},
    {'I', ".###. ..#.. ..#.. ..#.. ..#.. ..#.. .###."},
    {'J', "..### ...#. ...#. ...#. ...#. #..#. .##.."},
    {'K', "#...# #..#. #.#.. ##... #.#.. #..#. #...#"},
    {'L', "#.... #.... #.... #.... #.... #.... #####"},
    {'M', "#...# ##.## #.#.# #.#.# #...# #...# #...#"},
    {'N', "#...# #...# ##..# #.#.# #..## #...# #...#"},
    {'O', ".###. #...# #...# #...# #...# #...# .###."},
    {'P', "####. #...# #...# ####. #.... #.... #...."},
    {'Q', ".###. #...# #...# #...# #.#.# #..#. .##.#"},
    {'R', "####. #...# #...# ####. #.#.. #..#. #...#"},
    {'S', ".#### #.... #.... .###. ....# ....# ####."},
    {'T', "##### ..#.. ..#.. ..#.. ..#.. ..#.. ..#.."},
    {'U', "#...# #...# #...# #...# #...# #...# .###."},
    {'V', "#...# #...# #...# #...# #...# .#.#. ..#.."},
    {'W', "#...# #...# #...# #.#.# #.#.# #.#.# .#.#."},
    {'X', "#...# #...# .#.#. ..#.. .#.#. #...# #...#"},
    {'Y', "#...# #...# .#.#. ..#.. ..#.. ..#.. ..#.."},
    {'Z', "##### ....# ...#. ..#.. .#... #.... #####"},
    {'a', "..... ..... .###. ....# .#### #...# .####"},
    {'b', "#.... #.... #.##. ##..# #...# #...# ####."},
    {'c', "..... ..... .###. #.... #.... #...# .###."},
    {'d', "....# ....# .##.# #..## #...# #...# .####"},
    {'e', "..... ..... .###. #...# ##### #.... .###."},
    {'f', "..##. .#..# .#... ###.. .#... .#... .#..."},
    {'g', "..... .#### #...# #...# .#### ....# .###."},
    {'h', "#.... #.... #.##. ##..# #...# #...# #...#"},
    {'i', "..#.. ..... .##.. ..#.. ..#.. ..#.. .###."},
    {'j', "...#. ..... ..##. ...#. ...#. #..#. .##.."},
    {'k', "#.... #.... #..#. #.#.. ##... #.#.. #..#."},
    {'l', ".##.. ..#.. ..#.. ..#.. ..#.. ..#.. .###."},
    {'m', "..... ..... ##.#. #.#.# #.#.# #...# #...#"},
    {'n', "..... ..... #.##. ##..# #...# #...# #...#"},
    {'o', "..... ..... .###. #...# #...# #...# .###."},
    {'p', "..... ####. #...# #...# ####. #.... #...."},
    {'q', "..... .#### #...# #...# .#### ....# ....#"},
    {'r', "..... ..... #.##. ##..# #.... #.... #...."},
    {'s', "..... ..... .#### #.... .###. ....# ####."},
    {'t', ".#... .#... ###.. .#... .#... .#..# ..##."},
    {'u', "..... ..... #...# #...# #...# #..## .##.#"},
    {'v', "..... ..... #...# #...# #...# .#.#. ..#.."},
    {'w', "..... ..... #...# #...# #.#.# #.#.# .#.#."},
    {'x', "..... ..... #...# .#.#. ..#.. .#.#. #...#"},
    {'y', "..... #...# #...# #...# .#### ....# .###."},
    {'z', "..... ..... ##### ...#. ..#.. .#... #####"},
    {'0', ".###. #...# #..## #.#.# ##..# #...# .###."},
    {'1', "..#.. .##.. ..#.. ..#.. ..#.. ..#.. .###."},
    {'2', ".###. #...# ....# ...#. ..#.. .#... #####"},
    {'3', "##### ...#. ..#.. ...#. ....# #...# .###."},
    {'4', "...#. ..##. .#.#. #..#. ##### ...#. ...#."},
    {'5', "##### #.... ####. ....# ....# #...# .###."},
    {'6', "..##. .#... #.... ####. #...# #...# .###."},
    {'7', "##### ....# ...#. ..#.. .#... .#... .#..."},
    {'8', ".###. #...# #...# .###. #...# #...# .###."},
    {'9', ".###. #...# #...# .#### ....# ...#. .##.."},
    {'/', "..... ....# ...#. ..#.. .#... #.... ....."},
    {'(', "...#. ..#.. .#... .#... .#... ..#.. ...#."},
    {')', ".#... ..#.. ...#. ...#. ...#. ..#.. .#..."},
    {'-', "..... ..... ..... ##### ..... ..... ....."},
    {'.', "..... ..... ..... ..... ..... .##.. .##.."},
    {',', "..... ..... ..... ..... .##.. ..#.. .#..."},
    {'%', "##... ##..# ...#. ..#.. .#... #..## ...##"},
    {':', "..... .##.. .##.. ..... .##.. .##.. ....."},
    {'\'', "..#.. ..#.. .#... ..... ..... ..... ....."},
    {'!', "..#.. ..#.. ..#.. ..#.. ..#.. ..... ..#.."},
};

const char* FindGlyph(char ch) {
  static constexpr char kBlank[] = "..... ..... ..... ..... ..... ..... .....";
  if (ch == ' ') return kBlank;
  for (const TGlyph& g : kGlyphs)
    if (g.Ch == ch) return g.Rows;
  return nullptr;
}

constexpr TColor32 kBackground = MakeColor32(32, 32, 36);
constexpr TColor32 kInk = MakeColor32(228, 228, 228);
constexpr TColor32 kDimInk = MakeColor32(160, 160, 168);

void EnsureFolder(const std::string& dir) {
  if (mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST) throw std::runtime_error("Can't create folder " + dir);
  struct stat st {};
  if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) throw std::runtime_error(dir + " is not a folder");
}

std::string EffectFileName(int n) {
  char name[32];
  std::snprintf(name, sizeof name, "effect-%03d.png", n);
  return name;
}

// A box-filtered copy of src into the tw x th block of target at (x, y).
void DrawThumbnail(TBitmap32& target, int x, int y, int tw, int th, const TBitmap32& src) {
  const int sw = src.Width(), sh = src.Height();
  for (int j = 0; j < th; ++j) {
    const int y0 = j * sh / th, y1 = std::max(y0 + 1, (j + 1) * sh / th);
    if (y + j < 0 || y + j >= target.Height()) continue;
    for (int i = 0; i < tw; ++i) {
      if (x + i < 0 || x + i >= target.Width()) continue;
      const int x0 = i * sw / tw, x1 = std::max(x0 + 1, (i + 1) * sw / tw);
      uint32_t r = 0, g = 0, b = 0, n = 0;
      for (int sy = y0; sy < y1 && sy < sh; ++sy)
        for (int sx = x0; sx < x1 && sx < sw; ++sx) {
          const TColor32 c = src.Pixel(sx, sy);
          r += static_cast<uint32_t>(RedComponent(c));
          g += static_cast<uint32_t>(GreenComponent(c));
          b += static_cast<uint32_t>(BlueComponent(c));
          ++n;
        }
      if (n) target.SetPixel(x + i, y + j, MakeColor32(r / n, g / n, b / n));
    }
  }
}

void DrawFrame(TBitmap32& target, int x, int y, const TBitmap32& src) {
  for (int j = 0; j < src.Height(); ++j)
    for (int i = 0; i < src.Width(); ++i) target.SetPixelS(x + i, y + j, src.Pixel(i, j));
}

// Splits text at blanks into lines of at most width characters (longer words are cut).
std::vector<std::string> WrapText(const std::string& text, size_t width) {
  std::vector<std::string> lines;
  std::string line;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find(' ', pos);
    if (end == std::string::npos) end = text.size();
    std::string word = text.substr(pos, end - pos);
    pos = end + 1;
    while (word.size() > width) {
      if (!line.empty()) lines.push_back(line), line.clear();
      lines.push_back(word.substr(0, width));
      word.erase(0, width);
    }
    if (line.empty())
      line = word;
    else if (line.size() + 1 + word.size() <= width)
      line += " " + word;
    else
      lines.push_back(line), line = word;
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

}  // namespace

void DrawGalleryText(TBitmap32& target, int x, int y, const std::string& text, TColor32 colour, int scale) {
  scale = std::max(scale, 1);
  for (size_t k = 0; k < text.size(); ++k) {
    const int gx = x + static_cast<int>(k) * 6 * scale;
    const char* rows = FindGlyph(text[k]);
    for (int r = 0; r < 7; ++r)
      for (int c = 0; c < 5; ++c) {
        // Unknown characters are drawn as the outline of a box.
        const bool set = rows ? rows[r * 6 + c] == '#' : (r == 0 || r == 6 || c == 0 || c == 4);
        if (set) target.FillRectS(gx + c * scale, y + r * scale, gx + (c + 1) * scale, y + (r + 1) * scale, colour);
      }
  }
}

int GalleryTextWidth(const std::string& text, int scale) {
  return text.empty() ? 0 : (static_cast<int>(text.size()) * 6 - 1) * std::max(scale, 1);
}

void MakeGallerySamples(int w, int h, TBitmap32& from, TBitmap32& to) {
  w = std::max(w, 1);
  h = std::max(h, 1);
  from.SetSize(w, h);
  to.SetSize(w, h);
  const int cell = std::max(4, std::min(w, h) / 8);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      // Old: a deep blue gradient with a light grid.
      const bool grid = x % cell == 0 || y % cell == 0;
      from.SetPixel(x, y, grid ? MakeColor32(120, 170, 210)
                               : MakeColor32(20, 40 + 60 * y / h, 90 + 100 * x / w));
      // New: a warm diagonal gradient with a chequer.
      const bool check = ((x / cell) + (y / cell)) % 2 == 0;
      const int t = 255 * (x + y) / (w + h);
      to.SetPixel(x, y, MakeColor32(230 - t / 5, check ? 150 + t / 3 : 90 + t / 3, check ? 40 : 110));
    }
  const int scale = std::max(1, std::min(w / 24, h / 14));
  const int tw = GalleryTextWidth("OLD", scale), th = 7 * scale;
  // The words sit left of the middle and high, so mirror images and turns show.
  DrawGalleryText(from, w / 3 - tw / 2, h / 3 - th / 2, "OLD", MakeColor32(250, 250, 250), scale);
  DrawGalleryText(to, w / 3 - tw / 2, h / 3 - th / 2, "NEW", MakeColor32(30, 20, 60), scale);
  // A corner mark on each: a square in the top-left corner.
  from.FillRectS(0, 0, cell, cell, MakeColor32(240, 240, 80));
  to.FillRectS(0, 0, cell, cell, MakeColor32(40, 120, 255));
}

void WriteTransitionFrame(const std::string& path, const TBitmap32& from, const TBitmap32& to, int effect,
                          int percent, TRandom& random) {
  TBitmap32 mix;
  TransitionStep(from, to, mix, effect, percent, random);
  SavePngFile(mix, path);
}

std::vector<std::string> WriteTransitionGallery(const std::string& dir, const TBitmap32& from, const TBitmap32& to) {
  EnsureFolder(dir);
  std::vector<std::string> written;
  const int w = from.Width(), h = from.Height();
  if (w <= 0 || h <= 0) throw std::runtime_error("No picture to show the transitions with");
  const std::string base = dir.empty() || dir.back() == '/' ? dir : dir + "/";
  TRandom random;
  TBitmap32 mix;

  // Contact sheets.
  const int gap = 8, titleScale = 2;
  const int sheetW = 3 * w + 4 * gap;
  const int sheetH = gap + 7 * titleScale + gap + h + gap + 7 * titleScale + gap;
  TBitmap32 sheet(sheetW, sheetH);
  // The index: 13 x 13 thumbnails with the number and the wrapped name under each.
  const int tw = 160, th = std::max(1, 160 * h / w), columns = 13;
  const int labelLines = 3, cellW = tw + gap, cellH = th + 4 + labelLines * 9 + gap;
  const int rowsCount = (kTransitionEffectCount + columns - 1) / columns;
  TBitmap32 index(columns * cellW + gap, rowsCount * cellH + gap);
  index.Clear(kBackground);

  const int percents[3] = {25, 50, 75};
  for (int n = 1; n <= kTransitionEffectCount; ++n) {
    sheet.Clear(kBackground);
    const std::string title = std::to_string(n) + "  " + TransitionEffectName(n);
    DrawGalleryText(sheet, gap, gap, title, kInk, titleScale);
    for (int k = 0; k < 3; ++k) {
      random.SetSeed(static_cast<uint32_t>(n));
      TransitionStep(from, to, mix, n, percents[k], random);
      const int x = gap + k * (w + gap), y = gap + 7 * titleScale + gap;
      DrawFrame(sheet, x, y, mix);
      const std::string label = std::to_string(percents[k]) + " %";
      DrawGalleryText(sheet, x + (w - GalleryTextWidth(label, titleScale)) / 2, y + h + gap, label, kDimInk,
                      titleScale);
      if (percents[k] == 50) {
        const int col = (n - 1) % columns, row = (n - 1) / columns;
        const int ix = gap + col * cellW, iy = gap + row * cellH;
        DrawThumbnail(index, ix, iy, tw, th, mix);
        std::vector<std::string> lines = WrapText(TransitionEffectName(n), static_cast<size_t>(tw / 6));
        lines.insert(lines.begin(), std::to_string(n));
        for (size_t l = 0; l < lines.size() && l < static_cast<size_t>(labelLines); ++l)
          DrawGalleryText(index, ix, iy + th + 4 + static_cast<int>(l) * 9, lines[l], l == 0 ? kInk : kDimInk);
      }
    }
    const std::string path = base + EffectFileName(n);
    SavePngFile(sheet, path);
    written.push_back(path);
  }
  const std::string path = base + "index.png";
  SavePngFile(index, path);
  written.push_back(path);
  return written;
}

std::vector<std::string> WriteTransitionGallery(const std::string& dir, int w, int h) {
  TBitmap32 from, to;
  MakeGallerySamples(w, h, from, to);
  return WriteTransitionGallery(dir, from, to);
}

}  // namespace ky
