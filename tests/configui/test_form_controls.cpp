// Controls created by class name from window texts: every class of the windows, their
// properties applied by name, the rest counted, and the errors that name the class or line.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include "config/ui/FKyConfigWindow.h"
#include "config/ui/uKyPreview.h"
#include "config/ui/uMyButton.h"
#include "config/ui/uMyMemo.h"
#include "config/ui/uPaintedControls.h"
#include "config/ui/uStandardControls.h"
#include "platform/uError.h"
#include "ui_test_util.h"

using kytest::BuildForm;
using kytest::Named;

namespace {

const char* const kEveryClass = R"(object W: TfmKyConfigWindow
  object L: TLabel
  end
  object E: TEdit
  end
  object B: TButton
  end
  object BB: TBitBtn
  end
  object C: TCheckBox
  end
  object P: TPanel
    object Inner: TLabel
    end
  end
  object S: TShape
  end
  object MS: TMyShape
  end
  object MB: TMyBevel
  end
  object I: TImage
  end
  object Btn: TMyButton
  end
  object M: TMyMemo
  end
  object PC: TPageControl
    object Sheet: TTabSheet
      object OnSheet: TLabel
      end
    end
  end
  object TTimer
  end
  object Pv: TKyPreview
  end
  object F: TForm
  end
end)";

TEST(FormControls, EveryClassOfTheWindowsIsCreatedInTextOrderInsideItsParent) {
  ky::TFormInstance form = BuildForm(kEveryClass);
  const std::vector<std::string> expected = {"TfmKyCOnfigWindow", "TLabel", "TEdit", "TButton", "TBitBtn", "TCheckBox",
                                             "TPanel", "TLabel", "TShape", "TMyShape", "TMyBevel", "TImage",
                                             "TMyButton", "TMyMemo", "TPageControl", "TTabSheet", "TLabel", "TTimer",
                                             "TKyPreview", "TForm"};
  ASSERT_EQ(form.Components.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(form.Components[i]->ClassName, expected[i]) << i;
  auto* window = dynamic_cast<ky::TfmKyConfigWindow*>(form.Root.get());
  ASSERT_NE(window, nullptr);
  EXPECT_NE(dynamic_cast<QLineEdit*>(Named(form, "E").Object.data()), nullptr);
  EXPECT_NE(dynamic_cast<QCheckBox*>(Named(form, "C").Object.data()), nullptr);
  EXPECT_NE(dynamic_cast<ky::TMyMemo*>(Named(form, "M").Object.data()), nullptr);
  EXPECT_NE(dynamic_cast<ky::TKyPreview*>(Named(form, "Pv").Object.data()), nullptr);
  EXPECT_NE(dynamic_cast<QTimer*>(form.Components[17]->Object.data()), nullptr);
  EXPECT_EQ(Named(form, "Inner").Widget()->parentWidget(), Named(form, "P").Widget());
  auto* tabs = dynamic_cast<QTabWidget*>(Named(form, "PC").Object.data());
  ASSERT_NE(tabs, nullptr);
  ASSERT_EQ(tabs->count(), 1);
  EXPECT_EQ(tabs->widget(0), Named(form, "Sheet").Widget());
  EXPECT_EQ(Named(form, "OnSheet").Widget()->parentWidget(), Named(form, "Sheet").Widget());
  EXPECT_EQ(form.Components[17]->Object->parent(), window);
}

TEST(FormControls, AnUnknownClassIsAnErrorNamingTheClassAndItsLine) {
  const std::string text = "object W: TfmKyConfigWindow\n  object A: TLabel\n  end\n  object G: TStringGrid\n  end\nend\n";
  try {
    BuildForm(text);
    FAIL() << "no error";
  } catch (const ky::TKyError& e) {
    const std::string what = e.what();
    EXPECT_NE(what.find("test.dfm:4:"), std::string::npos) << what;
    EXPECT_NE(what.find("TStringGrid"), std::string::npos) << what;
  }
  // Base classes that only lend their properties cannot be created either.
  EXPECT_THROW(BuildForm("object W: TfmKyConfigWindow\n  object A: TControl\n  end\nend\n"), ky::TKyError);
}

TEST(FormControls, AValueOfTheWrongFormIsAnErrorNamingLineAndColumn) {
  try {
    BuildForm("object W: TfmKyConfigWindow\n  object A: TLabel\n    Left = 'x'\n  end\nend\n");
    FAIL() << "no error";
  } catch (const ky::TKyError& e) {
    EXPECT_NE(std::string(e.what()).find("test.dfm:3:12: an integer was expected"), std::string::npos) << e.what();
  }
}

TEST(FormControls, PropertiesNoClassTakesAreAcceptedAndCounted) {
  ky::TFormInstance form = BuildForm(R"(object W: TfmKyConfigWindow
  ExplicitWidth = 3
  object A: TLabel
    Caption = 'x'
    ExplicitWidth = 40
    OnDragDrop = Foo
    Glitter = True
  end
  object B: TLabel
    Glitter = False
    PixelsPerInch = 96
  end
end)");
  EXPECT_EQ(form.Ignored.at("TLabel.Glitter"), 2);
  EXPECT_EQ(form.Ignored.at("TLabel.ExplicitWidth"), 1);
  EXPECT_EQ(form.Ignored.at("TLabel.OnDragDrop"), 1);
  EXPECT_EQ(form.Ignored.at("TfmKyCOnfigWindow.ExplicitWidth"), 1);
  // A window takes its own PixelsPerInch; a label does not.
  EXPECT_EQ(form.Ignored.at("TLabel.PixelsPerInch"), 1);
  EXPECT_EQ(form.IgnoredCount(), 6);
}

TEST(FormControls, ALabelTakesItsPropertiesByName) {
  ky::TFormInstance form = BuildForm(R"(object W: TfmKyConfigWindow
  object A: TLabel
    Left = 12
    Top = 34
    Width = 150
    Height = 20
    Cursor = crHandPoint
    Hint = 'Next Picture'
    Alignment = taRightJustify
    AutoSize = False
    Caption = 'Save && &Quit'
    Color = clNavy
    Font.Charset = DEFAULT_CHARSET
    Font.Color = $000080FF
    Font.Height = -13
    Font.Name = 'Tahoma'
    Font.Style = [fsBold, fsUnderline]
    Layout = tlCenter
    ShowHint = True
    Tag = 7
    WordWrap = True
  end
  object B: TLabel
    Caption = 'b'
    Hint = 'hidden hint'
  end
end)");
  ky::FinishForm(form);
  ky::TFormComponent& c = Named(form, "A");
  auto& label = dynamic_cast<ky::TKyLabel&>(*c.Object);
  EXPECT_EQ(label.geometry(), QRect(12, 34, 150, 20));
  EXPECT_EQ(label.text(), "Save & Quit");
  EXPECT_EQ(label.alignment(), Qt::AlignRight | Qt::AlignVCenter);
  EXPECT_TRUE(label.wordWrap());
  EXPECT_EQ(label.cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(label.toolTip(), "Next Picture");
  EXPECT_EQ(c.Tag, 7);
  EXPECT_EQ(label.font().pixelSize(), 13);
  EXPECT_EQ(label.font().family(), "Tahoma");
  EXPECT_TRUE(label.font().bold());
  EXPECT_TRUE(label.font().underline());
  EXPECT_FALSE(label.font().italic());
  // $00BBGGRR: blue 00, green 80, red FF.
  EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(0xFF, 0x80, 0x00));
  EXPECT_EQ(label.palette().color(QPalette::Window), QColor(0, 0, 0x80));
  EXPECT_TRUE(label.autoFillBackground());
  // Without ShowHint (here or on a parent) the hint is not shown.
  EXPECT_EQ(Named(form, "B").Widget()->toolTip(), "");
}

TEST(FormControls, ColoursByNameNumberAndSystemIndex) {
  struct TCase {
    const char* value;
    QColor expected;
  };
  const TCase cases[] = {{"clRed", QColor(255, 0, 0)},       {"clTeal", QColor(0, 128, 128)},
                         {"$00FF0000", QColor(0, 0, 255)},    {"16777215", QColor(255, 255, 255)},
                         {"clBtnFace", QColor(240, 240, 240)}, {"clWindow", QColor(255, 255, 255)},
                         {"-16777201", QColor(240, 240, 240)}};  // $FF00000F: the old form of clBtnFace
  for (const TCase& t : cases) {
    const std::string text = std::string("object W: TfmKyConfigWindow\n  object P: TPanel\n    Color = ") + t.value +
                             "\n  end\nend\n";
    ky::TFormInstance form = BuildForm(text);
    EXPECT_EQ(Named(form, "P").Widget()->palette().color(QPalette::Window), t.expected) << t.value;
  }
  EXPECT_THROW(BuildForm("object W: TfmKyConfigWindow\n  Color = clPlaid\nend\n"), ky::TKyError);
}

TEST(FormControls, TheWindowKeepsItsClassDefaultsWhereTheTextIsSilent) {
  ky::TFormInstance bare = BuildForm("object W: TfmKyConfigWindow\nend\n");
  auto& window = dynamic_cast<ky::TfmKyConfigWindow&>(*bare.Root);
  EXPECT_EQ(window.size(), QSize(331, 444));
  EXPECT_EQ(window.font().family(), "MS Sans Serif");
  EXPECT_EQ(window.font().pixelSize(), 11);
  EXPECT_EQ(window.palette().color(QPalette::Window), QColor(240, 240, 240));

  ky::TFormInstance styled = BuildForm(R"(object W: TfmKyConfigWindow
  Caption = 'Thumbnails'
  ClientHeight = 300
  ClientWidth = 400
  Sizeable = True
  NoFrame = False
  MaximizeButton = True
  MinimizeButton = False
  ShowButtons = True
  MaximizeOnShow = False
end)");
  auto& w2 = dynamic_cast<ky::TfmKyConfigWindow&>(*styled.Root);
  EXPECT_EQ(w2.size(), QSize(400, 300));
  EXPECT_EQ(w2.windowTitle(), "Thumbnails");
  EXPECT_TRUE(w2.Sizeable);
  EXPECT_TRUE(w2.MaximizeButton);
  EXPECT_TRUE(w2.ShowButtons);
  EXPECT_FALSE(w2.NoFrame || w2.MinimizeButton || w2.MaximizeOnShow);
}

TEST(FormControls, AlignedControlsFillTheirContainer) {
  ky::TFormInstance form = BuildForm(R"(object W: TfmKyConfigWindow
  ClientWidth = 200
  ClientHeight = 100
  object Top1: TPanel
    Height = 20
    Align = alTop
    BevelOuter = bvNone
  end
  object Bottom1: TPanel
    Height = 10
    Align = alBottom
  end
  object Left1: TPanel
    Width = 30
    Align = alLeft
  end
  object Rest: TMyMemo
    Align = alClient
  end
end)");
  ky::FinishForm(form);
  auto& window = dynamic_cast<QWidget&>(*form.Root);
  window.show();
  EXPECT_EQ(Named(form, "Top1").Widget()->geometry(), QRect(0, 0, 200, 20));
  EXPECT_EQ(Named(form, "Bottom1").Widget()->geometry(), QRect(0, 90, 200, 10));
  EXPECT_EQ(Named(form, "Left1").Widget()->geometry(), QRect(0, 20, 30, 70));
  EXPECT_EQ(Named(form, "Rest").Widget()->geometry(), QRect(30, 20, 170, 70));
  window.resize(300, 100);
  EXPECT_EQ(Named(form, "Rest").Widget()->geometry(), QRect(30, 20, 270, 70));
}

TEST(FormControls, MemoTextIsTheWholeTextWithALineEndAfterEachLine) {
  ky::TFormInstance form = BuildForm(R"(object W: TfmKyConfigWindow
  object M: TMyMemo
    Text = 'first'#13#10'second'
  end
  object N: TMyMemo
    Lines.Strings = (
      'one'
      'two')
  end
end)");
  auto& m = dynamic_cast<ky::TMyMemo&>(*Named(form, "M").Object);
  EXPECT_EQ(m.Text(), "first\r\nsecond\r\n");
  EXPECT_EQ(m.toPlainText(), "first\nsecond");
  m.SetText("a\nb\r\n");
  EXPECT_EQ(m.Text(), "a\r\nb\r\n");
  EXPECT_EQ(dynamic_cast<ky::TMyMemo&>(*Named(form, "N").Object).Text(), "one\r\ntwo\r\n");
}

TEST(FormControls, PagesTimersButtonsAndChecks) {
  ky::TFormInstance form = BuildForm(R"(object W: TfmKyConfigWindow
  object PC: TPageControl
    ActivePage = Second
    object First: TTabSheet
      Caption = 'One'
    end
    object Second: TTabSheet
      Caption = 'Two'
    end
  end
  object TTimer
    Enabled = False
    Interval = 250
  end
  object C: TCheckBox
    Caption = '&Sound'
    Checked = True
  end
  object E: TEdit
    Text = 'abc'
    ReadOnly = True
  end
end)");
  auto& tabs = dynamic_cast<QTabWidget&>(*Named(form, "PC").Object);
  EXPECT_EQ(tabs.tabText(0), "One");
  EXPECT_EQ(tabs.tabText(1), "Two");
  EXPECT_EQ(tabs.currentIndex(), 1);
  EXPECT_EQ(dynamic_cast<QTimer&>(*form.Components[4]->Object).interval(), 250);
  auto& check = dynamic_cast<QCheckBox&>(*Named(form, "C").Object);
  EXPECT_TRUE(check.isChecked());
  EXPECT_EQ(check.text(), "&Sound");
  auto& edit = dynamic_cast<QLineEdit&>(*Named(form, "E").Object);
  EXPECT_EQ(edit.text(), "abc");
  EXPECT_TRUE(edit.isReadOnly());
}

TEST(FormControls, AnImageSizesItselfToItsPictureAndLeavesOutTheBitmapKeyColour) {
  // Bottom-left pixel (0, 1) is green: the transparent colour of the bitmap.
  const auto data = kytest::BmpPictureData(3, 2, [](int x, int y) { return y == 1 ? 0x00FF00u : 0xFF0000u; });
  const std::string text = "object W: TfmKyConfigWindow\n  Color = clBlue\n  object I: TImage\n    AutoSize = True\n"
                           "    Transparent = True\n    Picture.Data = {" + kytest::Hex(data) + "}\n  end\nend\n";
  ky::TFormInstance form = BuildForm(text);
  QWidget& image = *Named(form, "I").Widget();
  EXPECT_EQ(image.size(), QSize(3, 2));
  const QImage shot = kytest::Painted(dynamic_cast<QWidget&>(*form.Root));
  EXPECT_EQ(kytest::Rgb(shot, 1, 0), 0xFF0000u);
  EXPECT_EQ(kytest::Rgb(shot, 1, 1), 0x0000FFu);  // the window's blue shows through
}

TEST(FormControls, ShapesBevelsAndPanelsReportClicksOnlyWhereTheClassDoes) {
  ky::TFormInstance form = BuildForm(R"(object W: TfmKyConfigWindow
  object S: TShape
    Brush.Color = clRed
    Pen.Style = psClear
  end
  object MS: TMyShape
    Shape = stCircle
  end
end)");
  EXPECT_FALSE(dynamic_cast<ky::TKyShape&>(*Named(form, "S").Object).ReportsClicks);
  EXPECT_TRUE(dynamic_cast<ky::TKyShape&>(*Named(form, "MS").Object).ReportsClicks);
  auto& shape = dynamic_cast<ky::TKyShape&>(*Named(form, "S").Object);
  shape.resize(10, 10);
  EXPECT_EQ(kytest::Rgb(kytest::Painted(shape), 5, 5), 0xFF0000u);
}

}  // namespace

namespace {

TEST(FormControls, ABitButtonShowsTheFirstOfItsGlyphsWithoutTheKeyColour) {
  // Two 4 x 4 glyphs side by side: the first red with a green bottom row (the key colour at the
  // bottom-left pixel), the second blue.
  const auto data = kytest::BmpPictureData(8, 4, [](int x, int y) {
    if (x >= 4) return 0x0000FFu;
    return y == 3 ? 0x00FF00u : 0xFF0000u;
  });
  const std::string text = "object W: TfmKyConfigWindow\n  object B: TBitBtn\n    Caption = 'OK'\n    NumGlyphs = 2\n"
                           "    Glyph.Data = {" + kytest::Hex(data) + "}\n  end\nend\n";
  ky::TFormInstance form = BuildForm(text);
  auto& button = dynamic_cast<QPushButton&>(*Named(form, "B").Object);
  EXPECT_EQ(button.text(), "OK");
  ASSERT_FALSE(button.icon().isNull());
  EXPECT_EQ(button.iconSize(), QSize(4, 4));
  const QImage glyph = button.icon().pixmap(QSize(4, 4)).toImage().convertToFormat(QImage::Format_ARGB32);
  EXPECT_EQ(glyph.pixel(1, 1), 0xFFFF0000u);
  EXPECT_EQ(qAlpha(glyph.pixel(1, 3)), 0) << "the key colour is left out";
}

}  // namespace
