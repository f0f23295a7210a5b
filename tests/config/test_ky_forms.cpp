// The window description file: its frame of counts, the action tables and the prepared text.
#include <gtest/gtest.h>

#include "config/uKyForms.h"
#include "config/uTextDecode.h"
#include "platform/uError.h"
#include "testutil.h"

using namespace ky;

namespace {

// A description file of the stored shape, lines joined by CR LF.
std::string Join(const std::vector<std::string>& lines) {
  std::string t;
  for (const auto& l : lines) t += l + "\r\n";
  return t;
}

struct TReports {
  std::vector<std::string> Messages, Details;
  TFormLoadReport Handler() {
    return [this](const std::string& m, const std::string& d) { Messages.push_back(m); Details.push_back(d); };
  }
};

const std::vector<std::string> kMain = {
    "object MainWindow: TfmForm", "  Visible = True", "  OnCreate = FormCreate", "  object Label1: TLabel",
    "    Visible = False", "    OnClick = BindResizer", "  end", "end"};

}  // namespace

TEST(KyForms, LoadsWindowsActionsAndSkipsTheTrailingBlock) {
  // Two windows: the first with two actions (one with blank parameters, one a duplicate name),
  // an empty line inside its block; the second without actions and with a longer trailing block.
  std::vector<std::string> file = {"2", "8"};
  file.insert(file.end(), kMain.begin(), kMain.end());
  file.insert(file.end(), {"16", "3", "Label1", "1", "ThumbnailWindow", " ", " ", "label1", "6", "", " ", " ",
                           "Label2", "0", "<Website>", "x", "y", "1", "Dummy"});
  file.insert(file.end(), {"2", "object ThumbnailWindow: TfmForm", "end", "1", "0", "3", "a", "b", "c"});
  TKyForms forms;
  TReports reports;
  forms.LoadFromText(Join(file), "KyGUI.kyu", reports.Handler());
  EXPECT_TRUE(reports.Messages.empty());
  ASSERT_EQ(forms.Count(), 2u);
  const TKyForm* main = forms.FindForm("mainwindow");
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(main->Name, "MainWindow");
  EXPECT_EQ(main->Lines, kMain);
  EXPECT_EQ(main->FirstLine, 3);
  ASSERT_EQ(main->Actions.Count(), 3u);
  const TAction* a = main->Actions.FindAction("LABEL1");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->Kind, akShowWindow);
  EXPECT_EQ(a->Param1, "ThumbnailWindow");
  EXPECT_EQ(a->Param2, " ");
  EXPECT_EQ(a->Param3, " ");
  // The empty line of the block became a single blank.
  EXPECT_EQ(main->Actions.Item(1).second.Param1, " ");
  EXPECT_EQ(main->Actions.FindAction("Label2")->Param1, "<Website>");
  EXPECT_EQ(main->Actions.FindAction("Label3"), nullptr);
  const TKyForm* thumbs = forms.FindForm("ThumbnailWindow");
  ASSERT_NE(thumbs, nullptr);
  EXPECT_EQ(thumbs->Actions.Count(), 0u);
  EXPECT_EQ(thumbs->FirstLine, 31);  // after 1 + 1 + 8 + 1 + 16 + 1 + 1 + 1 lines
  EXPECT_EQ(&forms.Form(1), thumbs);
}

TEST(KyForms, BrokenActionBlockLeavesThatWindowOutWithTheMessage) {
  // Window 1: a kind that is no number. Window 2: counts 2 actions in a block of one. Window 3:
  // fine. Window 4: an empty window text.
  const std::string text = Join({"4", "1", "object A: TfmForm", "6", "1", "L", "x", " ", " ", " ", "1", "Dummy",
                                 "1", "object B: TfmForm", "6", "2", "L", "1", " ", " ", " ", "1", "Dummy",
                                 "1", "object C: TfmForm", "1", "0", "1", "Dummy",
                                 "0", "1", "0", "1", "Dummy"});
  TKyForms forms;
  TReports reports;
  forms.LoadFromText(text, "f.kyu", reports.Handler());
  ASSERT_EQ(forms.Count(), 1u);
  EXPECT_EQ(forms.Form(0).Name, "C");
  ASSERT_EQ(reports.Messages.size(), 3u);
  for (const auto& m : reports.Messages) EXPECT_EQ(m, "test");
  EXPECT_NE(reports.Details[0].find("f.kyu:3: window 1 left out"), std::string::npos) << reports.Details[0];
  EXPECT_NE(reports.Details[0].find("\"x\""), std::string::npos);
  EXPECT_NE(reports.Details[1].find("window 2"), std::string::npos);
  EXPECT_NE(reports.Details[2].find("window 4"), std::string::npos);
}

TEST(KyForms, BrokenFrameFailsNamingTheLine) {
  const struct {
    std::string Text, Error;
  } cases[] = {
      {"", "f.kyu:1: the number of windows expected, found the end of the file"},
      {"two\r\n", "f.kyu:1: the number of windows expected, found \"two\""},
      {"1\r\n-1\r\n", "f.kyu:2: the number of lines of a window text is negative"},
      {"1\r\n5\r\nobject A: T\r\n", "f.kyu:2: the window text counts 5 lines but only 1 follow"},
      {"1\r\n1\r\nobject A: T\r\n", "f.kyu:4: the number of lines of an action block expected, found the end of the file"},
      {"2\r\n1\r\nobject A: T\r\n1\r\n0\r\n1\r\nDummy\r\n", "f.kyu:8: the number of lines of a window text expected"},
  };
  for (const auto& c : cases) {
    TKyForms forms;
    try {
      forms.LoadFromText(c.Text, "f.kyu");
      ADD_FAILURE() << "no error for " << c.Text;
    } catch (const TKyError& e) {
      EXPECT_EQ(std::string(e.what()).rfind(c.Error, 0), 0u) << e.what();
    }
    EXPECT_EQ(forms.Count(), 0u);
  }
  // No windows at all: an empty list, MainWindow not found; a trailing block may end the file early.
  TKyForms forms;
  forms.LoadFromText("0", "f.kyu");
  EXPECT_EQ(forms.FindForm("MainWindow"), nullptr);
  forms.LoadFromText("1\n1\nobject A: T\n1\n0\n9\nDummy\n", "f.kyu");
  EXPECT_EQ(forms.Count(), 1u);
  EXPECT_THROW(forms.LoadFromFile("/nonexistent/KyGUI.kyu"), TKyError);
}

TEST(KyForms, DuplicateWindowNamesFindTheFirst) {
  TKyForms forms;
  forms.LoadFromText(Join({"2", "2", "object W: TfmForm", "  Tag = 1", "1", "0", "1", "Dummy", "1",
                           "object w: TfmForm", "1", "0", "1", "Dummy"}),
                     "f");
  ASSERT_EQ(forms.Count(), 2u);
  EXPECT_EQ(forms.FindForm("w")->Lines.size(), 2u);
}

TEST(KyForms, FilesAreDecodedByTheirMarkOrAsEightBitText) {
  kytest::TTempDir dir;
  const std::string body = "1\r\n1\r\nobject Caf\xC3\xA9: T\r\n1\r\n0\r\n1\r\nDummy\r\n";
  std::string utf16le = "\xFF\xFE", utf16be = "\xFE\xFF";
  for (unsigned char c : std::string("1\r\n1\r\nobject Caf\xE9: T\r\n1\r\n0\r\n1\r\nDummy\r\n")) {
    utf16le += static_cast<char>(c);
    utf16le += '\0';
    utf16be += '\0';
    utf16be += static_cast<char>(c);
  }
  const std::pair<std::string, std::string> files[] = {
      {"utf8.kyu", body},
      {"bom.kyu", "\xEF\xBB\xBF" + body},
      {"cp1252.kyu", "1\r\n1\r\nobject Caf\xE9: T\r\n1\r\n0\r\n1\r\nDummy\r\n"},
      {"le.kyu", utf16le},
      {"be.kyu", utf16be},
  };
  for (const auto& [name, bytes] : files) {
    kytest::WriteFile(dir / name, bytes);
    TKyForms forms;
    forms.LoadFromFile(dir / name);
    ASSERT_EQ(forms.Count(), 1u) << name;
    EXPECT_EQ(forms.Form(0).Name, "Caf\xC3\xA9") << name;
  }
  // A surrogate pair, a lone surrogate and an odd last byte in UTF-16.
  EXPECT_EQ(DecodeTextBytes(std::string("\xFF\xFE\x3D\xD8\x00\xDE\x00\xD8\x41\x00\x42", 11)),
            "\xF0\x9F\x98\x80\xEF\xBF\xBD" "A\xEF\xBF\xBD");
  // Windows-1252's own letters in 0x80-0x9F.
  EXPECT_EQ(DecodeTextBytes("\x80\x93"), "\xE2\x82\xAC\xE2\x80\x9C");
}

TEST(KyForms, BuildFormTextPreparesTheWindowText) {
  TKyForm form;
  form.Lines = {"object ThumbnailWindow: TfmForm",
                "  BorderIcons = [biSystemMenu]",
                "  BorderStyle = bsSingle",
                "  FormStyle = fsNormal",
                "  Visible = True",
                "  OnShow = FormShow",
                "  Only = 1",
                "  On = 2",
                "  object Memo1: TMyMemo",
                "    borderstyle = bsNone",
                "    Visible = False",
                "    OnClick = X",
                "    OnKeyDown = Y",
                "  end",
                "end"};
  form.Name = WindowNameOf(form.Lines[0]);
  EXPECT_EQ(form.Name, "ThumbnailWindow");
  EXPECT_EQ(form.BuildFormText(),
            "object ThumbnailWindow: TfmKyConfigWindow\r\n  Only = 1\r\n  object Memo1: TMyMemo\r\n"
            "    Visible = False\r\n  end\r\nend");
  // The stored text stays; without a Visible line of its own the first control's goes.
  EXPECT_EQ(form.Lines.size(), 15u);
  TKyForm bare;
  bare.Lines = {"object W: TForm", "  object L: TLabel", "    Visible = True", "  end", "  object M: TLabel",
                "    Visible = True", "  end", "end"};
  EXPECT_EQ(bare.BuildFormText(),
            "object W: TfmKyConfigWindow\r\n  object L: TLabel\r\n  end\r\n  object M: TLabel\r\n    Visible = True\r\n"
            "  end\r\nend");
  EXPECT_EQ(WindowNameOf("object X"), "X");
  EXPECT_EQ(WindowNameOf("object"), "");
}

TEST(ActionList, LoadFromTextAndKindNames) {
  TActionList list;
  list.LoadFromText("");
  EXPECT_EQ(list.Count(), 0u);
  list.LoadFromText("0");
  EXPECT_EQ(list.Count(), 0u);
  // A code beyond a byte does nothing rather than wrap round to "Open URL".
  list.LoadFromText("3\r\nA\r\n9\r\n \r\n \r\n \r\nB\r\n256\r\np\r\nq\r\nr\r\nA\r\n0\r\nu\r\n \r\n ");
  ASSERT_EQ(list.Count(), 3u);
  EXPECT_EQ(list.FindAction("a")->Kind, akSetWallpaper);
  EXPECT_EQ(list.FindAction("B")->Kind, kNoActionKind);
  EXPECT_EQ(list.FindAction("B")->Param3, "r");
  EXPECT_THROW(list.LoadFromText("-1"), TKyError);
  EXPECT_THROW(list.LoadFromText("1\r\nA\r\n1\r\nx\r\ny"), TKyError);
  EXPECT_EQ(list.Count(), 0u);
  const std::pair<int, const char*> names[] = {{0, "Open URL"},          {1, "Show window"},
                                               {2, "Next picture"},      {3, "Previous picture"},
                                               {4, "Preview selected file"}, {5, "Open setting"},
                                               {6, "Close window"},      {9, "Set as a Wallpaper"},
                                               {7, ""},                  {255, ""}};
  for (const auto& [code, name] : names) EXPECT_EQ(ActionKindName(static_cast<uint8_t>(code)), name);
}

TEST(KyForms, FormatDescriptionFileWritesWhatLoadFromFileReads) {
  TFormSource main;
  main.Tree.Name = "MainWindow";
  main.Tree.ClassName = "TfmForm";
  TFormObject label;
  label.Name = "Label1";
  label.ClassName = "TLabel";
  main.Tree.Children.push_back(label);
  TAction show;
  show.Kind = akShowWindow;
  show.Param1 = "ThumbnailWindow";
  main.Actions.emplace_back("Label1", show);
  TFormSource thumbs;
  thumbs.Tree.Name = "ThumbnailWindow";
  thumbs.Tree.ClassName = "TfmForm";
  EXPECT_EQ(FormatDescriptionFile({main, thumbs}),
            "2\r\n"
            "4\r\nobject MainWindow: TfmForm\r\n  object Label1: TLabel\r\n  end\r\nend\r\n"
            "6\r\n1\r\nLabel1\r\n1\r\nThumbnailWindow\r\n \r\n \r\n"
            "1\r\nDummy\r\n"
            "2\r\nobject ThumbnailWindow: TfmForm\r\nend\r\n"
            "1\r\n0\r\n"
            "1\r\nDummy\r\n");
  TKyForms forms;
  forms.LoadFromText(FormatDescriptionFile({main, thumbs}), "f");
  ASSERT_EQ(forms.Count(), 2u);
  EXPECT_EQ(forms.FindForm("MainWindow")->Actions.FindAction("Label1")->Param1, "ThumbnailWindow");
}

TEST(KyForms, BuildFormTreeNamesTheLinesOfTheFile) {
  // The window text starts on file line 3; lines 5 and 6 are dropped from the prepared text.
  const std::string text = Join({"1", "8", "object W: TfmForm", "  Caption = 'x'", "  Visible = True",
                                 "  OnShow = FormShow", "  object L: TLabel", "    Left = 1", "  end", "end", "1",
                                 "0", "1", "Dummy"});
  TKyForms forms;
  forms.LoadFromText(text, "f.kyu");
  const TFormObject tree = forms.Form(0).BuildFormTree("f.kyu");
  EXPECT_EQ(tree.ClassName, "TfmKyConfigWindow");
  EXPECT_EQ(tree.Line, 3);
  ASSERT_EQ(tree.Properties.size(), 1u);
  EXPECT_EQ(tree.Properties[0].Line, 4);
  ASSERT_EQ(tree.Children.size(), 1u);
  EXPECT_EQ(tree.Children[0].Line, 7);
  EXPECT_EQ(tree.Children[0].Properties.at(0).Line, 8);
  EXPECT_EQ(tree.Children[0].Properties.at(0).Value.Line, 8);
  // An error after a dropped line names the file's line too.
  std::string broken = text;
  broken.replace(broken.find("    Left = 1"), 12, "    Left = @");
  forms.LoadFromText(broken, "f.kyu");
  try {
    forms.Form(0).BuildFormTree("f.kyu");
    ADD_FAILURE();
  } catch (const EFormSyntax& e) {
    EXPECT_EQ(std::string(e.what()), "f.kyu:8:12: unexpected character \"@\"");
  }
}
