// libFuzzer target: window descriptions come from saver packages, so the description file, the
// property-text reader and the picture data of a window must cope with any bytes. A text that
// reads must print and read back to the same text.
#include <string>
#include <string_view>

#include "config/uFormParser.h"
#include "config/uFormPicture.h"
#include "config/uFormPrinter.h"
#include "config/uKyForms.h"
#include "config/uTextDecode.h"
#include "graphics/uBitmap32.h"
#include "graphics/uPictureError.h"
#include "platform/uError.h"

namespace {

void DecodePictures(const ky::TFormObject& o) {
  for (const ky::TFormProperty& p : o.Properties) {
    if (p.Value.Kind != ky::TFormValueKind::Bytes || !ky::IsPictureDataProperty(p.Name)) continue;
    try {
      ky::DecodeFormPicture(p.Value.Bytes);
    } catch (const ky::EPictureError&) {
    } catch (const ky::EBitmapError&) {
    }
  }
  for (const ky::TFormObject& c : o.Children) DecodePictures(c);
}

void CheckWindowText(std::string_view text) {
  ky::TFormObject tree;
  try {
    tree = ky::ParseFormText(text, "fuzz");
  } catch (const ky::EFormSyntax&) {
    return;
  }
  const std::string printed = ky::PrintFormText(tree);
  // The printer's own text must read, and read to what was printed.
  const ky::TFormObject again = ky::ParseFormText(printed, "printed");
  if (ky::PrintFormText(again) != printed) __builtin_trap();
  DecodePictures(tree);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  CheckWindowText(bytes);
  ky::TKyForms forms;
  try {
    forms.LoadFromText(ky::DecodeTextBytes(bytes), "fuzz");
  } catch (const ky::TKyError&) {
    return 0;
  }
  for (size_t i = 0; i < forms.Count(); ++i) {
    const ky::TKyForm& form = forms.Form(i);
    CheckWindowText(form.BuildFormText());
    try {
      form.BuildFormTree("fuzz");
    } catch (const ky::EFormSyntax&) {
    }
    // The lookup is linear: the first actions are enough to check it.
    for (size_t a = 0; a < form.Actions.Count() && a < 64; ++a)
      if (form.Actions.FindAction(form.Actions.Item(a).first) == nullptr) __builtin_trap();
  }
  return 0;
}
