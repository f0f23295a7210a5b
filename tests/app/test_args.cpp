#include <gtest/gtest.h>

#include "app/uCommonUtil.h"
#include "app/uKySaverApp.h"

using namespace ky;

TEST(Arguments, SwitchSpellingsAndCutting) {
  const struct { std::vector<std::string> args; TMode mode; std::string sw, handle; } cases[] = {
      {{}, TMode::Configure, "", ""},
      {{"/c:4567"}, TMode::Configure, "/C", ""},
      {{"-c"}, TMode::Configure, "-C", ""},
      {{"c"}, TMode::Configure, "C", ""},
      {{"/s"}, TMode::Show, "/S", ""},
      {{"S"}, TMode::Show, "S", ""},
      {{"/SX"}, TMode::Show, "/S", ""},
      {{"/saver"}, TMode::Show, "/S", ""},
      {{"-s"}, TMode::Show, "-S", ""},
      {{"/p", "1234"}, TMode::Preview, "/P", "1234"},
      {{"/p:1234"}, TMode::Preview, "/P", ""},
      {{"p", "0xabc"}, TMode::Preview, "P", "0XABC"},
      {{"/a", "77"}, TMode::Password, "/A", "77"},
      {{"-A"}, TMode::Password, "-A", ""},
      {{"/x"}, TMode::None, "/X", ""},
      {{"sx"}, TMode::None, "SX", ""},
      {{""}, TMode::Configure, "", ""},
  };
  for (const auto& c : cases) {
    const TCommandLine cl = ParseArguments(c.args);
    const std::string what = c.args.empty() ? "(none)" : c.args[0];
    EXPECT_EQ(cl.Mode, c.mode) << what;
    EXPECT_EQ(cl.Switch, c.sw) << what;
    EXPECT_EQ(cl.Handle, c.handle) << what;
  }
}

TEST(Arguments, ScreensaverDaemonSwitches) {
  unsetenv("XSCREENSAVER_WINDOW");
  EXPECT_EQ(ParseArguments({"-root"}).Mode, TMode::Hack);
  EXPECT_EQ(ParseArguments({"-root"}).HackWindow, "");  // a full-screen window of its own
  setenv("XSCREENSAVER_WINDOW", "0x400007", 1);
  EXPECT_EQ(ParseArguments({"--root"}).HackWindow, "0x400007");
  // -window-id wins over -root and over the daemon's variable, in either order.
  EXPECT_EQ(ParseArguments({"--root", "--window-id", "0x1a"}).HackWindow, "0x1a");
  EXPECT_EQ(ParseArguments({"-window-id", "77", "-root"}).HackWindow, "77");
  unsetenv("XSCREENSAVER_WINDOW");
  EXPECT_EQ(ParseArguments({"--help"}).Mode, TMode::Help);
  EXPECT_EQ(ParseArguments({"--version"}).Mode, TMode::Version);
  // A lone -window-id without its id is no daemon switch: cut to "-W" it selects nothing.
  EXPECT_EQ(ParseArguments({"-window-id"}).Mode, TMode::None);
}

TEST(Base64, StandardAlphabetAndPadding) {
  const struct { std::string in, out; } cases[] = {
      {"", ""}, {"a", "YQ=="}, {"ab", "YWI="}, {"abc", "YWJj"}, {"Sea Waves", "U2VhIFdhdmVz"},
      {"\xFF\xFF\xFE", "///+"}, {std::string("\0\0", 2), "AAA="}};
  for (const auto& c : cases) EXPECT_EQ(Base64Encode(c.in), c.out) << c.in;
}

TEST(WorkRoot, NameFromTheSaverBaseName) {
  EXPECT_EQ(SaverBaseName("/usr/lib/savers/Sea Waves.scr"), "Sea Waves");
  EXPECT_EQ(SaverBaseName("/x/a.b.c.scr"), "a");
  EXPECT_EQ(SaverBaseName("/x/My.Sea.scr"), "My");
  EXPECT_EQ(SaverBaseName("/x/Garden"), "Garden");
  EXPECT_EQ(SaverBaseName(""), "");
  EXPECT_EQ(WorkRootName("Sea Waves"), "U2VhIFdhdmVz");
  EXPECT_EQ(WorkRootName(""), kEmptyBaseRootName);  // never the temporary folder itself
  // "/" would split the root into two folders.
  EXPECT_EQ(WorkRootName("\xFF\xFF\xFE"), "___+");
  // Only the low 8 bits of each character count: U+00E9 and U+01E9 share a root.
  EXPECT_EQ(WorkRootName("\xC3\xA9"), Base64Encode("\xE9"));
  EXPECT_EQ(WorkRootName("\xC7\xA9"), WorkRootName("\xC3\xA9"));
  // Bytes that are not UTF-8 are taken as they are.
  EXPECT_EQ(WorkRootName("\xE9"), Base64Encode("\xE9"));
  EXPECT_EQ(WorkRootName(std::string(300, 'a')).size(), 255u);
}
