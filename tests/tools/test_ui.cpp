// kysaver-tool ui: a window description file or one window text, as an author checks it.
#include <gtest/gtest.h>

#include "config/uFormPicture.h"
#include "testutil.h"

using kytest::RunCommand;
using kytest::TTempDir;

namespace {

const std::string kTool = KY_BINARY_DIR "/bin/kysaver-tool";

std::string Ui(const std::string& args, int* status) {
  std::string out;
  *status = RunCommand("'" + kTool + "' ui " + args, &out);
  return out;
}

// The stored shape: MainWindow with a label bound to "Show window", ThumbnailWindow without
// actions, each with its trailing "Dummy" block.
const char kDescription[] =
    "2\r\n"
    "4\r\n"
    "object MainWindow: TfmForm\r\n"
    "  object Label1: TLabel\r\n"
    "  end\r\n"
    "end\r\n"
    "6\r\n"
    "1\r\n"
    "Label1\r\n"
    "1\r\n"
    "ThumbnailWindow\r\n"
    " \r\n"
    " \r\n"
    "1\r\n"
    "Dummy\r\n"
    "2\r\n"
    "object ThumbnailWindow: TfmForm\r\n"
    "end\r\n"
    "1\r\n"
    "0\r\n"
    "1\r\n"
    "Dummy\r\n";

}  // namespace

TEST(ToolUi, DescriptionFileAsTextAndJson) {
  TTempDir dir;
  kytest::WriteFile(dir / "KyGUI.kyu", kDescription);
  int status = -1;
  EXPECT_EQ(Ui("'" + dir / "KyGUI.kyu" + "'", &status),
            dir / "KyGUI.kyu" + ": 2 windows\n"
            "\n"
            "window MainWindow (line 3)\n"
            "  actions: 1\n"
            "    Label1: Show window  'ThumbnailWindow' ' ' ' '\n"
            "  tree:\n"
            "    object MainWindow: TfmForm    (line 3)\n"
            "      object Label1: TLabel    (line 4)\n"
            "      end\n"
            "    end\n"
            "\n"
            "window ThumbnailWindow (line 17)\n"
            "  actions: 0\n"
            "  tree:\n"
            "    object ThumbnailWindow: TfmForm    (line 17)\n"
            "    end\n");
  EXPECT_EQ(status, 0);
  EXPECT_EQ(Ui("--json '" + dir / "KyGUI.kyu" + "'", &status),
            "{\"Windows\":["
            "{\"Name\":\"MainWindow\",\"Actions\":[{\"Control\":\"Label1\",\"Kind\":\"Show window\",\"Code\":1,"
            "\"Param1\":\"ThumbnailWindow\",\"Param2\":\" \",\"Param3\":\" \"}],"
            "\"Tree\":{\"Kind\":\"object\",\"Name\":\"MainWindow\",\"Class\":\"TfmForm\",\"Line\":3,\"Properties\":[],"
            "\"Children\":[{\"Kind\":\"object\",\"Name\":\"Label1\",\"Class\":\"TLabel\",\"Line\":4,\"Properties\":[],"
            "\"Children\":[]}]}},"
            "{\"Name\":\"ThumbnailWindow\",\"Actions\":[],"
            "\"Tree\":{\"Kind\":\"object\",\"Name\":\"ThumbnailWindow\",\"Class\":\"TfmForm\",\"Line\":17,"
            "\"Properties\":[],\"Children\":[]}}]}\n");
  EXPECT_EQ(status, 0);
}

TEST(ToolUi, SingleWindowTextEveryValueKind) {
  TTempDir dir;
  const std::vector<uint8_t> empty = ky::EncodeFormPicture("TBitmap", {});
  std::string hex;
  for (const uint8_t b : empty) {
    static const char kHex[] = "0123456789ABCDEF";
    hex += kHex[b >> 4];
    hex += kHex[b & 15];
  }
  kytest::WriteFile(dir / "w.dfm",
                    "inline Form1: TForm1\n"
                    "  Tag = -3\n"
                    "  Scale = 1.5\n"
                    "  Caption = 'It''s'#13#10'ok'\n"
                    "  Color = clNavy\n"
                    "  Font.Style = [fsBold]\n"
                    "  Lines.Strings = (\n    'a'\n    2)\n"
                    "  Columns = <\n    item\n      Width = 7\n    end>\n"
                    "  Picture.Data = {\n    " + hex + "}\n"
                    "  object TTimer\n"
                    "  end\n"
                    "end\n");
  int status = -1;
  EXPECT_EQ(Ui("--json '" + dir / "w.dfm" + "'", &status),
            "{\"Tree\":{\"Kind\":\"inline\",\"Name\":\"Form1\",\"Class\":\"TForm1\",\"Line\":1,\"Properties\":["
            "[\"Tag\",-3],[\"Scale\",1.5],[\"Caption\",\"It's\\r\\nok\"],[\"Color\",{\"Ident\":\"clNavy\"}],"
            "[\"Font.Style\",{\"Set\":[\"fsBold\"]}],[\"Lines.Strings\",{\"List\":[\"a\",2]}],"
            "[\"Columns\",{\"Items\":[[[\"Width\",7]]]}],[\"Picture.Data\",{\"Bytes\":12}]],"
            "\"Children\":[{\"Kind\":\"object\",\"Name\":\"\",\"Class\":\"TTimer\",\"Line\":16,\"Properties\":[],"
            "\"Children\":[]}]}}\n");
  EXPECT_EQ(status, 0);
  const std::string text = Ui("'" + dir / "w.dfm" + "'", &status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(text.find("  Caption = 'It''s'#13#10'ok'\n"), std::string::npos) << text;
  EXPECT_NE(text.find("  Picture.Data = {12 bytes} (TBitmap, empty)\n"), std::string::npos) << text;
}

TEST(ToolUi, ErrorsNameTheLineAndEndWithStatusOne) {
  TTempDir dir;
  std::string broken = kDescription;
  broken.replace(broken.find("  end\r\nend"), 5, "  Caption = @");  // line 5 of the file
  kytest::WriteFile(dir / "broken.kyu", broken);
  std::string block = kDescription;
  block.replace(block.find("Label1\r\n1\r\n"), 11, "Label1\r\nx\r\n");
  kytest::WriteFile(dir / "block.kyu", block);
  kytest::WriteFile(dir / "binary.dfm", std::string("TPF0\x06TForm1\0", 12));
  const struct {
    std::string Args, Output;
  } cases[] = {
      {"'" + dir / "broken.kyu" + "'", "kysaver-tool: " + dir / "broken.kyu" + ":5:13: unexpected character \"@\"\n"},
      {"'" + dir / "binary.dfm" + "'",
       "kysaver-tool: " + dir / "binary.dfm" + ":1:1: a binary form file (\"TPF0\"); only the text form can be read\n"},
      {"'" + dir / "missing.kyu" + "'", "kysaver-tool: " + dir / "missing.kyu" + ": cannot be opened (No such file or directory)\n"},
      {"--frame X '" + dir / "block.kyu" + "'", "kysaver-tool: ui: unknown option \"--frame\"\n"},
      {"", "kysaver-tool: ui: a file is needed\n"},
  };
  for (const auto& c : cases) {
    int status = -1;
    const std::string out = Ui(c.Args, &status);
    EXPECT_EQ(out.substr(0, c.Output.size()), c.Output);
    EXPECT_EQ(status, 1) << c.Args;
  }
  // A window whose action block is broken is left out, as the player does; the author is told.
  int status = -1;
  const std::string out = Ui("'" + dir / "block.kyu" + "'", &status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(out.find("1 window\n"), std::string::npos) << out;
  EXPECT_NE(out.find("window ThumbnailWindow"), std::string::npos);
  EXPECT_NE(out.find("kysaver-tool: ui: " + dir / "block.kyu" + ":3: window 1 left out: action kind \"x\" of \"Label1\" is not a number"),
            std::string::npos)
      << out;
}
