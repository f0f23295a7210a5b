#pragma once
// Property values of a window text turned into what the Qt controls take: numbers, booleans,
// texts, Delphi colours ($00BBGGRR values, colour names, system colours), cursors, font styles,
// alignments and pictures. A value of the wrong form throws TKyError "FILE:LINE: Name: what".
#include <QColor>
#include <QImage>
#include <Qt>
#include <string>

#include "config/uFormTree.h"
#include "config/ui/uFormClasses.h"

namespace ky {

[[noreturn]] void ThrowBadValue(const TFormBuildContext& ctx, const TFormValue& v, std::string_view what);

int IntegerValue(const TFormValue& v, const TFormBuildContext& ctx);
bool BoolValue(const TFormValue& v, const TFormBuildContext& ctx);
// A string; an identifier is taken as its text (as the streaming system does for names).
std::string TextValue(const TFormValue& v, const TFormBuildContext& ctx);
// An identifier (enumeration value).
std::string IdentValue(const TFormValue& v, const TFormBuildContext& ctx);
// The lines of a "Lines.Strings" or "Items.Strings" list.
std::vector<std::string> StringListValue(const TFormValue& v, const TFormBuildContext& ctx);

// A colour: a name ("clNavy", "clBtnFace"), a number $00BBGGRR, or a system colour
// ($80000000 + index). clNone and clDefault give an invalid QColor (no colour of its own).
QColor ColourValue(const TFormValue& v, const TFormBuildContext& ctx);
// The colour of a name alone; nullopt for a name that is no colour.
std::optional<QColor> DelphiColourByName(std::string_view name);

Qt::CursorShape CursorValue(const TFormValue& v, const TFormBuildContext& ctx);

// The picture of a ".Data" property; a null image for an empty picture.
QImage PictureValue(const TFormValue& v, const TFormBuildContext& ctx);

// The enumeration values of the alignments the controls take.
Qt::Alignment HorizontalAlignment(const std::string& ident);  // taLeftJustify, taCenter, taRightJustify
Qt::Alignment VerticalLayout(const std::string& ident);       // tlTop, tlCenter, tlBottom

// "&File" shown as "File": a single "&" marks the accelerator and is not drawn, "&&" is one "&".
QString WithoutAccelerator(const QString& caption);
// The accelerator character of a caption (lower case), or 0.
QChar AcceleratorOf(const QString& caption);

}  // namespace ky
