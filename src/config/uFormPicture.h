#pragma once
// Picture data of a window text ("Picture.Data", "Glyph.Data", any picture property's ".Data"):
// a length byte and that many letters naming the picture kind, a 32-bit little-endian byte
// count, then the picture file. Decoded through the picture readers of src/graphics with their
// size limits.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/uBitmap32.h"

namespace ky {

struct TFormPictureData {
  std::string ClassName;      // "TJPEGImage", "TBitmap", "TPngImage", ...
  std::vector<uint8_t> File;  // the picture file; empty for an empty picture
};

// True for a property that holds picture data: its last part is "Data" (without regard to case)
// and it has a part before it ("Picture.Data", "ButtonUp.Data").
bool IsPictureDataProperty(std::string_view propertyName);

// The kind and file of picture data. A PNG of Delphi's PNG kinds may follow the kind name
// without a count. The data of a bitmap property (a button's "Glyph.Data": the count and a BMP
// file, without a kind name) is read as "TBitmap". Throws EPictureError "picture data: what is wrong" when the name or the
// count runs past the end.
TFormPictureData SplitFormPicture(const std::vector<uint8_t>& data);

// The picture, alpha from a PNG's transparency, every other alpha 255; an empty surface for an
// empty picture (a count of 0). Kinds: "TJPEGImage", "TBitmap" (a BMP file, or a bare DIB
// without the file header), "TPngImage", "TPNGObject", "TPortableNetworkGraphic". Throws
// EPictureError naming what is wrong: another kind, a broken layout, or the reader's own error.
TBitmap32 DecodeFormPicture(const std::vector<uint8_t>& data);

// Picture data of a file of the given kind, as the authoring side writes it. Throws
// EPictureError for a kind name that is empty or longer than 255 letters.
std::vector<uint8_t> EncodeFormPicture(std::string_view className, const std::vector<uint8_t>& file);

}  // namespace ky
