// The property-text format: the grammar's corners, its errors, and parse -> print -> parse.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

#include "config/uFormParser.h"
#include "config/uFormPrinter.h"
#include "form_tree_compare.h"
#include "testutil.h"

using namespace ky;
using kytest::ExpectSameTree;

namespace {

using K = TFormValueKind;

TFormValue ParseValue(const std::string& valueText) {
  const TFormObject o = ParseFormText("object A: T\n  P = " + valueText + "\nend\n", "v.dfm");
  EXPECT_EQ(o.Properties.size(), 1u);
  return o.Properties.empty() ? TFormValue{} : o.Properties[0].Value;
}

}  // namespace

TEST(FormText, ScalarValues) {
  const struct {
    const char* Text;
    K Kind;
    int64_t Integer;
    double Float;
    const char* String;  // decoded text or identifier
  } cases[] = {
      {"12", K::Integer, 12, 0, ""},
      {"-11", K::Integer, -11, 0, ""},
      {"$1F", K::Integer, 31, 0, ""},
      {"$00FF8000", K::Integer, 0xFF8000, 0, ""},
      {"$FFFFFFFF", K::Integer, 4294967295LL, 0, ""},
      {"-9223372036854775808", K::Integer, INT64_MIN, 0, ""},
      {"1.5", K::Float, 0, 1.5, ""},
      {"-2.5E3", K::Float, 0, -2500, ""},
      {"1e-2", K::Float, 0, 0.01, ""},
      {"0.75s", K::Float, 0, 0.75, ""},
      {"''", K::String, 0, 0, ""},
      {"'a''b'#39'c'", K::String, 0, 0, "a'b'c"},
      {"'a'#13#10'b'", K::String, 0, 0, "a\r\nb"},
      {"#$41#66", K::String, 0, 0, "AB"},
      {"#233't'", K::String, 0, 0, "\xC3\xA9t"},
      {"#8364", K::String, 0, 0, "\xE2\x82\xAC"},
      {"#55357#56832", K::String, 0, 0, "\xF0\x9F\x98\x80"},
      {"#55357'x'#56832", K::String, 0, 0, "\xEF\xBF\xBDx\xEF\xBF\xBD"},
      {"'caf\xC3\xA9'", K::String, 0, 0, "caf\xC3\xA9"},
      {"'one' +\n    'two' + 'three'", K::String, 0, 0, "onetwothree"},
      {"\n    'long ' +\n    'string'#13#10 +\n    #9'end'", K::String, 0, 0, "long string\r\n\tend"},
      {"taRightJustify", K::Ident, 0, 0, "taRightJustify"},
      {"Form1.Button1", K::Ident, 0, 0, "Form1.Button1"},
  };
  for (const auto& c : cases) {
    const TFormValue v = ParseValue(c.Text);
    ASSERT_EQ(v.Kind, c.Kind) << c.Text;
    EXPECT_EQ(v.Integer, c.Integer) << c.Text;
    EXPECT_EQ(v.Float, c.Float) << c.Text;
    EXPECT_EQ(v.Text, c.String) << c.Text;
  }
}

TEST(FormText, CompoundValues) {
  EXPECT_TRUE(ParseValue("[]").Set.empty());
  EXPECT_EQ(ParseValue("[]").Kind, K::Set);
  EXPECT_EQ(ParseValue("[fsBold, fsItalic]").Set, (std::vector<std::string>{"fsBold", "fsItalic"}));
  const TFormValue list = ParseValue("(\n    'a'\n    -2 1.5\n    clRed ( 3 ) [x])");
  ASSERT_EQ(list.Kind, K::List);
  ASSERT_EQ(list.List.size(), 6u);
  EXPECT_EQ(list.List[0].Text, "a");
  EXPECT_EQ(list.List[1].Integer, -2);
  EXPECT_EQ(list.List[2].Float, 1.5);
  EXPECT_EQ(list.List[3].Text, "clRed");
  EXPECT_EQ(list.List[4].List.at(0).Integer, 3);
  EXPECT_EQ(list.List[5].Set, std::vector<std::string>{"x"});
  EXPECT_EQ(list.List[1].Line, 4);
  EXPECT_EQ(list.List[1].Column, 5);
  EXPECT_TRUE(ParseValue("()").List.empty());
  EXPECT_EQ(ParseValue("<>").Kind, K::Items);
  const TFormValue items = ParseValue("<\n    item\n      Width = 10\n      Title.Caption = 'A'\n    end\n    item [1]\n    end>");
  ASSERT_EQ(items.Items.size(), 2u);
  ASSERT_EQ(items.Items[0].size(), 2u);
  EXPECT_EQ(items.Items[0][0].Name, "Width");
  EXPECT_EQ(items.Items[0][0].Value.Integer, 10);
  EXPECT_EQ(items.Items[0][1].Name, "Title.Caption");
  EXPECT_EQ(items.Items[0][1].Value.Text, "A");
  EXPECT_TRUE(items.Items[1].empty());
  EXPECT_EQ(ParseValue("{\n    0A1b\n    2C }").Bytes, (std::vector<uint8_t>{0x0A, 0x1B, 0x2C}));
  EXPECT_EQ(ParseValue("{}").Kind, K::Bytes);
  EXPECT_TRUE(ParseValue("{}").Bytes.empty());
}

TEST(FormText, ObjectsKindsNamesAndLines) {
  const TFormObject root = ParseFormText(
      "inherited Frame1: TFrame1\r\n"
      "  Font.Name = 'Tahoma'\r\n"
      "  OBJECT TTimer\r\n"
      "    Enabled = False\r\n"
      "  End\r\n"
      "  inline Sub: TSubFrame [2]\r\n"
      "    object Label1: TLabel\r\n"
      "    end\r\n"
      "  end\r\n"
      "end",
      "f.dfm", 5);
  EXPECT_EQ(root.Kind, TFormObjectKind::Inherited);
  EXPECT_EQ(root.Name, "Frame1");
  EXPECT_EQ(root.ClassName, "TFrame1");
  EXPECT_EQ(root.Line, 5);
  ASSERT_EQ(root.Properties.size(), 1u);
  EXPECT_EQ(root.Properties[0].Name, "Font.Name");
  EXPECT_EQ(root.Properties[0].Line, 6);
  EXPECT_EQ(root.Properties[0].Column, 3);
  EXPECT_EQ(root.Properties[0].Value.Column, 15);
  ASSERT_EQ(root.Children.size(), 2u);
  EXPECT_EQ(root.Children[0].Name, "");
  EXPECT_EQ(root.Children[0].ClassName, "TTimer");
  EXPECT_EQ(root.Children[0].Line, 7);
  EXPECT_EQ(root.Children[1].Kind, TFormObjectKind::Inline);
  EXPECT_EQ(root.Children[1].Position, 2);
  EXPECT_EQ(root.Children[1].Children.at(0).Name, "Label1");
  EXPECT_EQ(root.Children[1].Children.at(0).Line, 11);
}

TEST(FormText, ErrorsNameFileLineAndColumn) {
  const struct {
    std::string Text, Error;
  } cases[] = {
      {"", "e.dfm:1:1: \"object\" expected, the text is empty"},
      {"  \n ", "e.dfm:2:2: \"object\" expected, the text is empty"},
      {std::string("TPF0\x06TForm1", 11), "e.dfm:1:1: a binary form file (\"TPF0\"); only the text form can be read"},
      {"form A: T\nend", "e.dfm:1:1: \"object\" expected, found identifier \"form\""},
      // "end" is taken for the class name, as the grammar reads it.
      {"object A:\nend", "e.dfm:2:4: a property name, \"object\" or \"end\" expected, found the end of the text"},
      {"object 1: T\nend", "e.dfm:1:8: a class name expected, found number 1"},
      {"object A: T\n  P 1\nend", "e.dfm:2:5: \"=\" expected, found number 1"},
      {"object A: T\n  P = 'abc\nend", "e.dfm:2:11: unterminated string, \"'\" expected"},
      {"object A: T\n  P = 'a' + 1\nend", "e.dfm:2:13: a string after \"+\" expected, found number 1"},
      {"object A: T\n  P = #\nend", "e.dfm:2:8: character code expected after \"#\""},
      {"object A: T\n  P = #70000\nend", "e.dfm:2:7: character code out of range"},
      {"object A: T\n  P = 99999999999999999999\nend", "e.dfm:2:7: integer out of range"},
      {"object A: T\n  P = 1e999\nend", "e.dfm:2:7: number out of range"},
      {"object A: T\n  P = 12ab\nend", "e.dfm:2:9: unexpected character \"a\" after a number"},
      {"object A: T\n  P = {0A1}\nend", "e.dfm:2:11: odd number of hexadecimal digits in data"},
      {"object A: T\n  P = {0G}\nend", "e.dfm:2:9: hexadecimal digit or \"}\" expected"},
      {"object A: T\n  P = {00\nend", "e.dfm:3:2: hexadecimal digit or \"}\" expected"},
      {"object A: T\n  P = {00", "e.dfm:2:10: unterminated data, \"}\" expected"},
      {"object A: T\n  P = [a b]\nend", "e.dfm:2:10: \"]\" expected, found identifier \"b\""},
      {"object A: T\n  P = [a,]\nend", "e.dfm:2:10: a name in the set expected, found \"]\""},
      {"object A: T\n  P = (1 2\nend", "e.dfm:3:4: \")\" expected, found the end of the text"},
      {"object A: T\n  P = <x>\nend", "e.dfm:2:8: \"item\" or \">\" expected, found identifier \"x\""},
      {"object A: T\n  P = @\nend", "e.dfm:2:7: unexpected character \"@\""},
      {"object A: T\n  P = )\nend", "e.dfm:2:7: a value expected, found \")\""},
      {"object A: T\n  P = 1\n", "e.dfm:3:1: a property name, \"object\" or \"end\" expected, found the end of the text"},
      {"object A: T\n  object B: U\n  end\n  P = 1\nend", "e.dfm:4:3: \"object\" or \"end\" expected, found identifier \"P\""},
      {"object A: T\nend\nx", "e.dfm:3:1: the end of the text expected after the last \"end\""},
      {"object A: T\n  P = 'caf\xC3\xA9' @\nend", "e.dfm:2:14: unexpected character \"@\""},
  };
  for (const auto& c : cases) {
    try {
      ParseFormText(c.Text, "e.dfm");
      ADD_FAILURE() << "no error for: " << c.Text;
    } catch (const EFormSyntax& e) {
      EXPECT_EQ(std::string(e.what()), c.Error);
    }
  }
  // A text inside a larger file counts lines from where it starts.
  try {
    ParseFormText("object A: T\n  P = @\nend", "KyGUI.kyu", 40);
    ADD_FAILURE();
  } catch (const EFormSyntax& e) {
    EXPECT_EQ(e.Line, 41);
    EXPECT_EQ(e.Column, 7);
    EXPECT_EQ(e.File, "KyGUI.kyu");
  }
}

TEST(FormText, NestingIsBounded) {
  std::string objects;
  for (int i = 0; i < kMaxFormDepth; ++i) objects += "object A: T\n";
  for (int i = 0; i < kMaxFormDepth; ++i) objects += "end\n";
  EXPECT_NO_THROW(ParseFormText(objects, "d"));
  const std::string deeper = "object A: T\n" + objects + "end\n";
  EXPECT_THROW(ParseFormText(deeper, "d"), EFormSyntax);
  // Lists and collections count as levels too; a flood of "(" ends in an error, not a crash.
  EXPECT_THROW(ParseFormText("object A: T\n  P = " + std::string(100000, '(') + "\nend", "d"), EFormSyntax);
  EXPECT_THROW(ParseFormText("object A: T\n  P = " + std::string(100000, '<'), "d"), EFormSyntax);
}

// Under a locale with a decimal comma a C-library reader would take "1.5" for 1; the format's
// numbers do not depend on the locale. The locale is made by the test in a folder of its own.
TEST(FormText, FloatsReadAndPrintTheSameUnderACommaLocale) {
  kytest::TTempDir dir;
  if (kytest::RunCommand("localedef -i de_DE -f UTF-8 '" + dir / "de_DE.utf8" + "'") != 0)
    GTEST_SKIP() << "localedef cannot make de_DE here";
  setenv("LOCPATH", dir.Path().c_str(), 1);
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) {
    unsetenv("LOCPATH");
    GTEST_SKIP() << "the de_DE locale cannot be set";
  }
  EXPECT_STREQ(std::localeconv()->decimal_point, ",");
  EXPECT_EQ(ParseValue("1.5").Float, 1.5);
  EXPECT_EQ(ParseValue("-2.5E-3").Float, -0.0025);
  TFormObject o;
  o.ClassName = "T";
  TFormProperty p;
  p.Name = "F";
  p.Value.Kind = K::Float;
  p.Value.Float = 2.25;
  o.Properties.push_back(p);
  EXPECT_EQ(PrintFormLines(o).at(1), "  F = 2.25");
  std::setlocale(LC_ALL, "C");
  unsetenv("LOCPATH");
}

TEST(FormText, EightBitTextIsDecoded) {
  const TFormObject o = ParseFormText("object A: T\r\n  Caption = 'Caf\xE9 \x80'\r\nend", "w.dfm");
  EXPECT_EQ(o.Properties.at(0).Value.Text, "Caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(ParseFormText("\xEF\xBB\xBFobject A: T\nend", "w.dfm").Name, "A");
}

TEST(FormPrinter, WritesTheTextFormat) {
  TFormObject root;
  root.Name = "Form1";
  root.ClassName = "TForm1";
  auto add = [](std::vector<TFormProperty>& to, const std::string& name, TFormValue v) {
    TFormProperty p;
    p.Name = name;
    p.Value = std::move(v);
    to.push_back(std::move(p));
  };
  TFormValue v;
  v.Kind = K::Integer;
  v.Integer = -11;
  add(root.Properties, "Font.Height", v);
  v = TFormValue{};
  v.Kind = K::String;
  v.Text = "It's\r\n\xC3\xA9";
  add(root.Properties, "Caption", v);
  v.Text = std::string(70, 'x');
  add(root.Properties, "Hint", v);
  v = TFormValue{};
  v.Kind = K::Set;
  v.Set = {"fsBold", "fsItalic"};
  add(root.Properties, "Font.Style", v);
  v = TFormValue{};
  v.Kind = K::Float;
  v.Float = 2;
  add(root.Properties, "Scale", v);
  TFormValue list;
  list.Kind = K::List;
  v = TFormValue{};
  v.Kind = K::String;
  v.Text = "a";
  list.List = {v, v};
  add(root.Properties, "Lines.Strings", list);
  TFormValue items;
  items.Kind = K::Items;
  items.Items.resize(2);
  v = TFormValue{};
  v.Integer = 5;
  add(items.Items[0], "Width", v);
  add(root.Properties, "Columns", items);
  TFormValue data;
  data.Kind = K::Bytes;
  for (int i = 0; i < 33; ++i) data.Bytes.push_back(static_cast<uint8_t>(i * 7));
  add(root.Properties, "Picture.Data", data);
  TFormObject timer;
  timer.ClassName = "TTimer";
  timer.Kind = TFormObjectKind::Inline;
  timer.Position = 1;
  root.Children.push_back(timer);

  const std::vector<std::string> expected = {
      "object Form1: TForm1",
      "  Font.Height = -11",
      "  Caption =",
      "    'It''s'#13#10 +",
      "    '\xC3\xA9'",
      "  Hint =",
      "    'xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx' +",
      "    'xxxxxxx'",
      "  Font.Style = [fsBold, fsItalic]",
      "  Scale = 2.0",
      "  Lines.Strings = (",
      "    'a'",
      "    'a')",
      "  Columns = <",
      "    item",
      "      Width = 5",
      "    end",
      "    item",
      "    end>",
      "  Picture.Data = {",
      "    00070E151C232A31383F464D545B626970777E858C939AA1A8AFB6BDC4CBD2D9",
      "    E0}",
      "  inline TTimer [1]",
      "  end",
      "end",
  };
  EXPECT_EQ(PrintFormLines(root), expected);
  ExpectSameTree(ParseFormText(PrintFormText(root), "p"), root);
  EXPECT_EQ(PrintFormText(root, "\n").substr(0, 21), "object Form1: TForm1\n");
}

TEST(FormPrinter, RoundTripsTheGrammar) {
  const std::string text =
      "object W: TfmForm\n"
      "  Caption = 'Line one'#13#10'Line two with a tab'#9'and a quote '''#13#10 +\n"
      "    'and a very long line that goes on and on and on past the sixty-four characters'\n"
      "  Empty = ''\n"
      "  Hex = $7FFFFFFFFFFFFFFF\n"
      "  F = 0.1\n"
      "  G = -1.0E-300\n"
      "  Emoji = #55357#56832'\xC3\xA9'#0\n"
      "  S = []\n"
      "  L = (1 (2 3) <item A = 1 end> {FF} [a])\n"
      "  D = {" + std::string(200, 'A') + "}\n"
      "  object TTimer\n"
      "  end\n"
      "  inherited X: Y.Z [0]\n"
      "    I = <\n"
      "      item\n"
      "        Nested = <\n"
      "          item\n"
      "            Deep = 'x'\n"
      "          end>\n"
      "      end>\n"
      "  end\n"
      "end\n";
  const TFormObject first = ParseFormText(text, "r");
  const std::string printed = PrintFormText(first);
  const TFormObject second = ParseFormText(printed, "r");
  ExpectSameTree(first, second);
  // Printing is stable: the printed text prints as itself.
  EXPECT_EQ(PrintFormText(second), printed);
  EXPECT_EQ(first.Properties.at(1).Value.Text.size(), 0u);
  EXPECT_EQ(first.Properties.at(2).Value.Integer, INT64_MAX);
  EXPECT_EQ(first.Properties.at(5).Value.Text, std::string("\xF0\x9F\x98\x80\xC3\xA9\0", 7));
}
