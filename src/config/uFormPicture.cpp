#include "uFormPicture.h"

#include <cstring>

#include "graphics/uBmpReader.h"
#include "graphics/uJpegReader.h"
#include "graphics/uPictureError.h"
#include "graphics/uPngReader.h"
#include "platform/uBytes.h"
#include "platform/uText.h"

namespace ky {

namespace {

constexpr std::string_view kWhat = "picture data";
constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

void PutLe32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

bool StartsWithPng(const uint8_t* p, size_t n) { return n >= 8 && std::memcmp(p, kPngSignature, 8) == 0; }

bool IsPngKind(std::string_view name) {
  return SameTextAscii(name, "TPngImage") || SameTextAscii(name, "TPNGObject") ||
         SameTextAscii(name, "TPortableNetworkGraphic");
}

// A bitmap stored as a bare DIB (header, colour table, pixels) gets the file header the BMP
// reader expects; the pixels start after the header, its bit masks and its colour table.
std::vector<uint8_t> WithFileHeader(const std::vector<uint8_t>& dib) {
  if (dib.size() < 12) FailPicture(kWhat, "bitmap too short for a header");
  const uint32_t headerSize = Le32(dib.data());
  uint64_t table = 0;
  if (headerSize == 12) {
    const uint16_t bits = Le16(dib.data() + 10);
    if (bits <= 8) table = 3u * (1u << bits);
  } else if (headerSize >= 40 && headerSize <= dib.size()) {
    const uint16_t bits = Le16(dib.data() + 14);
    const uint32_t compression = Le32(dib.data() + 16);
    const uint32_t used = Le32(dib.data() + 32);
    table = 4ull * (used ? used : (bits <= 8 ? 1u << bits : 0));
    if (headerSize == 40 && (compression == 3 || compression == 6)) table += compression == 3 ? 12 : 16;
  } else {
    FailPicture(kWhat, "a bitmap that is neither a BMP file nor a DIB");
  }
  const uint64_t offset = 14 + uint64_t{headerSize} + table;
  if (offset > 14 + dib.size()) FailPicture(kWhat, "the bitmap's colour table runs past the end");
  std::vector<uint8_t> file = {'B', 'M'};
  PutLe32(file, static_cast<uint32_t>(14 + dib.size()));
  PutLe32(file, 0);
  PutLe32(file, static_cast<uint32_t>(offset));
  file.insert(file.end(), dib.begin(), dib.end());
  return file;
}

}  // namespace

bool IsPictureDataProperty(std::string_view propertyName) {
  const size_t dot = propertyName.rfind('.');
  return dot != std::string_view::npos && dot > 0 && SameTextAscii(propertyName.substr(dot + 1), "Data");
}

TFormPictureData SplitFormPicture(const std::vector<uint8_t>& data) {
  if (data.empty()) FailPicture(kWhat, "empty, the picture kind is missing");
  // An icon property ("Icon.Data" of a form) holds the icon file itself.
  if (data.size() >= 4 && data[0] == 0 && data[1] == 0 && data[2] == 1 && data[3] == 0)
    FailPicture(kWhat, "an icon file, which is not a picture that can be shown");
  // A bitmap property (a button's "Glyph") holds the bitmap's own data: no kind name, the count,
  // then a BMP file, or a count of 0.
  if (data.size() >= 4 && Le32(data.data()) == data.size() - 4 &&
      (data.size() == 4 || (data.size() >= 6 && data[4] == 'B' && data[5] == 'M'))) {
    TFormPictureData r;
    r.ClassName = "TBitmap";
    r.File.assign(data.begin() + 4, data.end());
    return r;
  }
  const size_t nameLength = data[0];
  if (nameLength == 0) FailPicture(kWhat, "the picture kind's name is empty");
  if (nameLength > data.size() - 1) FailPicture(kWhat, "the picture kind's name runs past the end");
  TFormPictureData r;
  r.ClassName.assign(data.begin() + 1, data.begin() + 1 + static_cast<std::ptrdiff_t>(nameLength));
  for (const char c : r.ClassName)
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'))
      FailPicture(kWhat, "the picture kind's name is not a class name");
  const uint8_t* rest = data.data() + 1 + nameLength;
  const size_t left = data.size() - 1 - nameLength;
  // Delphi's PNG kinds write the file straight after the name.
  if (IsPngKind(r.ClassName) && StartsWithPng(rest, left)) {
    r.File.assign(rest, rest + left);
    return r;
  }
  if (left < 4) FailPicture(kWhat, "the byte count of \"" + r.ClassName + "\" is missing");
  const uint32_t count = Le32(rest);
  if (count > left - 4)
    FailPicture(kWhat, "\"" + r.ClassName + "\" counts " + std::to_string(count) + " bytes but " +
                           std::to_string(left - 4) + " follow");
  r.File.assign(rest + 4, rest + 4 + count);
  return r;
}

TBitmap32 DecodeFormPicture(const std::vector<uint8_t>& data) {
  const TFormPictureData picture = SplitFormPicture(data);
  TBitmap32 bitmap;
  if (picture.File.empty()) return bitmap;
  const std::string name = "picture data (" + picture.ClassName + ")";
  if (SameTextAscii(picture.ClassName, "TJPEGImage")) {
    LoadJpegFromMemory(picture.File.data(), picture.File.size(), bitmap, name);
  } else if (SameTextAscii(picture.ClassName, "TBitmap")) {
    const bool isFile = picture.File.size() >= 2 && picture.File[0] == 'B' && picture.File[1] == 'M';
    const std::vector<uint8_t> file = isFile ? picture.File : WithFileHeader(picture.File);
    LoadBmpFromMemory(file.data(), file.size(), bitmap, name);
  } else if (IsPngKind(picture.ClassName)) {
    TPngPicture png = ReadPngFromMemory(picture.File.data(), picture.File.size(), name);
    if (png.HasAlpha) {
      TColor32* p = png.Picture.Bits();
      const size_t n = static_cast<size_t>(png.Picture.Width()) * static_cast<size_t>(png.Picture.Height());
      for (size_t i = 0; i < n && i < png.AlphaMap.size(); ++i)
        p[i] = (p[i] & 0x00FFFFFFu) | TColor32{png.AlphaMap[i]} << 24;
    }
    bitmap = std::move(png.Picture);
  } else {
    FailPicture(kWhat, "picture kind \"" + picture.ClassName + "\" cannot be read");
  }
  return bitmap;
}

std::vector<uint8_t> EncodeFormPicture(std::string_view className, const std::vector<uint8_t>& file) {
  if (className.empty() || className.size() > 255) FailPicture(kWhat, "a picture kind's name must have 1 to 255 letters");
  if (file.size() > UINT32_MAX) FailPicture(kWhat, "the picture file is too large");
  std::vector<uint8_t> data;
  data.push_back(static_cast<uint8_t>(className.size()));
  data.insert(data.end(), className.begin(), className.end());
  PutLe32(data, static_cast<uint32_t>(file.size()));
  data.insert(data.end(), file.begin(), file.end());
  return data;
}

}  // namespace ky
