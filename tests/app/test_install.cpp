// Registering a saver with XScreenSaver and the desktop: the list of hacks edited as text, the
// desktop entry, and both together in a test home folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "app/uDesktopEntry.h"
#include "app/uHackList.h"
#include "app/uSaverInstaller.h"
#include "platform/uError.h"
#include "testutil.h"

using namespace ky;
using kytest::TTempDir;

namespace {

// The entries of the last programs resource, read the way the daemon reads it: continued
// lines joined, then cut at each "\n"; blank pieces are no entries.
std::vector<std::string> Hacks(const std::string& text) {
  std::string joined;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\n') { ++i; continue; }
    joined += text[i];
  }
  std::vector<std::string> hacks;
  size_t at = 0, found = std::string::npos;
  while ((at = joined.find("programs:", at)) != std::string::npos) found = at++;
  if (found == std::string::npos) return hacks;
  const size_t begin = found + 9;
  const std::string value = joined.substr(begin, joined.find('\n', begin) - begin);
  for (size_t p = 0; p <= value.size();) {
    size_t sep = value.find("\\n", p);
    if (sep == std::string::npos) sep = value.size();
    std::string piece = value.substr(p, sep - p);
    piece.erase(0, piece.find_first_not_of(" \t"));
    piece.erase(piece.find_last_not_of(" \t") + 1);
    if (!piece.empty()) hacks.push_back(piece);
    p = sep + 2;
  }
  return hacks;
}

const std::string kSaver = "/opt/savers/Garden.scr";
const std::string kEntry = "\"Garden\"  /opt/savers/Garden.scr -root";

// Users' files of three hacks, in the shapes people and programs write them.
const std::vector<std::string>& UserFiles() {
  static const std::vector<std::string> files = {
      // As the daemon's settings program writes it.
      "timeout:\t0:10:00\nmode:\t\tone\nselected:\t2\nprograms:\t\t\t\t\t\t\t\t      \\\n"
      "\t\t\t\tmaze --root\t\t\t\t    \\n\\\n- GL:\t\t\t\tsuperquadrics --root\t\t    \\n\\\n"
      "  \"Flying Fish\"  xfishtank --root\t\t    \\n\n\n\npointerHysteresis: 10\n",
      // The last entry without its "\n".
      "programs: \\\n  maze -root \\n\\\n  qix -root \\n\\\n  \"Helix\" helix -root\nlock: False\n",
      // Everything on one line, and no line break at the end of the file.
      "programs: maze -root \\n qix -root \\n helix -root \\n",
      // The value ends in an empty continued line.
      "# mine\nprograms: \\\n  maze -root \\n\\\n  qix -root \\n\\\n  helix -root \\n\\\n\nmode: random\n",
  };
  return files;
}

const std::string kDefaults =
    "! comment\n*mode:\t\t\trandom\n*timeout: 0:10:00\n*programs:\t\t\t\t\\\n\t\t\t\tmaze --root\t\\n\\\n"
    "- GL: \t\t\t\tsuperquadrics --root\t\\n\\\n\t\t\t\tqix --root\t\\n\\\n\t\t\t\thelix --root\t\\n\\\n"
    "\t\t\t\tgoop --root\t\\n\n\n\n*hacks.goop.name: Goop\n";

}  // namespace

TEST(HackList, AddedOnceReplacedNotDoubledAndRemovedToTheSameBytes) {
  for (const std::string& original : UserFiles()) {
    SCOPED_TRACE(original);
    ASSERT_EQ(Hacks(original).size(), 3u);
    const THackEdit added = AddHack(original, kDefaults, "Garden", kSaver);
    EXPECT_EQ(added.Change, THackChange::Added);
    const std::vector<std::string> hacks = Hacks(added.Text);
    ASSERT_EQ(hacks.size(), 4u) << added.Text;
    EXPECT_EQ(hacks.back(), kEntry);
    EXPECT_EQ(std::vector<std::string>(hacks.begin(), hacks.end() - 1), Hacks(original)) << "the user's hacks, in order";
    EXPECT_EQ(HackPosition(added.Text, kSaver), 4u);
    EXPECT_EQ(HackPosition(original, kSaver), 0u);

    const THackEdit again = AddHack(added.Text, kDefaults, "Garden", kSaver);
    EXPECT_EQ(again.Change, THackChange::Unchanged);
    EXPECT_EQ(again.Text, added.Text);
    const THackEdit renamed = AddHack(added.Text, kDefaults, "Garden 2", kSaver);
    EXPECT_EQ(renamed.Change, THackChange::Replaced);
    EXPECT_EQ(Hacks(renamed.Text).size(), 4u);
    EXPECT_EQ(Hacks(renamed.Text).back(), "\"Garden 2\"  /opt/savers/Garden.scr -root");

    const THackEdit removed = RemoveHack(renamed.Text, kDefaults, kSaver);
    EXPECT_EQ(removed.Change, THackChange::Removed);
    EXPECT_FALSE(removed.FileNotNeeded);
    EXPECT_EQ(removed.Text, original);
    EXPECT_EQ(RemoveHack(original, kDefaults, kSaver).Change, THackChange::Absent);
  }
}

TEST(HackList, TwoSaversComeAndGoInAnyOrder) {
  const std::string original = UserFiles()[0];
  const std::string both =
      AddHack(AddHack(original, kDefaults, "Garden", kSaver).Text, kDefaults, "Lake", "/opt/savers/Lake.scr").Text;
  ASSERT_EQ(Hacks(both).size(), 5u);
  EXPECT_EQ(RemoveHack(RemoveHack(both, kDefaults, kSaver).Text, kDefaults, "/opt/savers/Lake.scr").Text, original);
  EXPECT_EQ(RemoveHack(RemoveHack(both, kDefaults, "/opt/savers/Lake.scr").Text, kDefaults, kSaver).Text, original);
}

TEST(HackList, AnEntryWrittenByHandIsReplacedWhereItStands) {
  const std::string original = "programs: \\\n  maze -root \\n\\\n  \"KySaver\" /opt/savers/Garden.scr -root \\n\\\n  qix -root \\n\n";
  const THackEdit edit = AddHack(original, kDefaults, "Garden", kSaver);
  EXPECT_EQ(edit.Change, THackChange::Replaced);
  EXPECT_EQ(Hacks(edit.Text), (std::vector<std::string>{"maze -root", kEntry, "qix -root"}));
  EXPECT_EQ(HackPosition(edit.Text, kSaver), 2u);
  EXPECT_EQ(Hacks(RemoveHack(edit.Text, kDefaults, kSaver).Text), (std::vector<std::string>{"maze -root", "qix -root"}));
  // Twice by hand, once on a line with another entry: every one of them goes.
  const std::string twice = "programs: /opt/savers/Garden.scr -root \\n maze -root \\n\\\n  qix -root \\n\\\n"
                            "  \"G\" /opt/savers/Garden.scr -root \\n\\\n  /opt/savers/Garden.scr --root \\n\n";
  ASSERT_EQ(Hacks(twice).size(), 5u);
  EXPECT_EQ(Hacks(RemoveHack(twice, kDefaults, kSaver).Text), (std::vector<std::string>{"maze -root", "qix -root"}));
}

TEST(HackList, AUserWithoutAListGetsTheSystemsAndLosesItAgain) {
  const std::string made = UserFileFromDefaults(kDefaults);
  EXPECT_EQ(Hacks(made), Hacks(kDefaults));
  EXPECT_EQ(Hacks(made).size(), 5u);
  EXPECT_EQ(made.find("mode:"), std::string::npos) << "other settings stay with the system";
  const THackEdit added = AddHack(made, kDefaults, "Garden", kSaver);
  EXPECT_EQ(Hacks(added.Text).size(), 6u);
  const THackEdit removed = RemoveHack(added.Text, kDefaults, kSaver);
  EXPECT_TRUE(removed.FileNotNeeded);

  // A settings file without a list: the daemon would forget the system's hacks.
  const std::string noList = "timeout: 0:05:00\nlock: False\n";
  const THackEdit listed = AddHack(noList, kDefaults, "Garden", kSaver);
  EXPECT_EQ(Hacks(listed.Text).size(), 6u);
  EXPECT_EQ(listed.Text.rfind(noList, 0), 0u);
  const THackEdit back = RemoveHack(listed.Text, kDefaults, kSaver);
  EXPECT_EQ(back.Text, noList);
  EXPECT_FALSE(back.FileNotNeeded);
}

TEST(HackList, CommandsQuoteThePathForTheShell) {
  struct TCase {
    std::string Path, Command;
  } cases[] = {
      {"/opt/savers/Garden.scr", "/opt/savers/Garden.scr -root"},
      {"/home/me/my savers/it's.scr", "'/home/me/my savers/it'\"'\"'s.scr' -root"},
      {"/tmp/$HOME;rm", "'/tmp/$HOME;rm' -root"},
      {"/tmp/back\\slash", "'/tmp/back\\\\slash' -root"},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(HackCommand(c.Path), c.Command);
    // The shell gives back the path itself (the settings file's "\\" is one backslash).
    std::string command = c.Command, heard;
    for (size_t at; (at = command.find("\\\\")) != std::string::npos;) command.replace(at, 2, "\\");
    command = command.substr(0, command.size() - 6);
    std::string quotedForPopen;
    for (const char ch : command) quotedForPopen += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    ASSERT_EQ(kytest::RunCommand("sh -c 'printf %s " + quotedForPopen + "'", &heard), 0);
    EXPECT_EQ(heard, c.Path);
    // And an entry so written is found again.
    const THackEdit added = AddHack("programs: qix -root \\n\n", kDefaults, "X", c.Path);
    EXPECT_EQ(RemoveHack(added.Text, kDefaults, c.Path).Text, "programs: qix -root \\n\n");
  }
  EXPECT_THROW(HackCommand("/tmp/line\nbreak"), TKyError);
}

TEST(DesktopEntry, NamedAfterTheProductItOpensTheConfigurationWindow) {
  EXPECT_EQ(DesktopEntryFileName("Garden", kSaver), "kysaver-Garden.desktop");
  EXPECT_EQ(DesktopEntryFileName("My Lake & Rain!", kSaver), "kysaver-My-Lake-Rain.desktop");
  EXPECT_EQ(DesktopEntryFileName("Été", kSaver, 2), "kysaver-t-2.desktop");
  EXPECT_EQ(DesktopEntryFileName("***", "/x/Water.scr"), "kysaver-Water.desktop");

  const std::string text = DesktopEntryText("Garden", "/home/me/my savers/50% $off.scr");
  EXPECT_NE(text.find("\nName=Garden\n"), std::string::npos) << text;
  // Exec quoting: '$' escaped with a backslash (written "\\" in the file), '%' doubled.
  EXPECT_NE(text.find("\nExec=env \"/home/me/my savers/50%% \\\\$off.scr\" /C\n"), std::string::npos) << text;
  EXPECT_TRUE(IsDesktopEntryOf(text, "/home/me/my savers/50% $off.scr"));
  EXPECT_FALSE(IsDesktopEntryOf(text, "/home/me/my savers/50%"));
  EXPECT_THROW(DesktopEntryText("Garden", "/tmp/a\tb"), TKyError);
}

TEST(DesktopEntry, TheDesktopsValidatorAcceptsIt) {
  if (access("/usr/bin/desktop-file-validate", X_OK) != 0) GTEST_SKIP() << "desktop-file-validate is not installed";
  TTempDir dir;
  for (const auto& [name, path] : {std::pair<std::string, std::string>{"Garden", kSaver},
                                   {"My Lake & Rain", "/home/me/my savers/50% $off`x`\\\"q\".scr"}}) {
    kytest::WriteFile(dir / "kysaver-x.desktop", DesktopEntryText(name, path));
    std::string out;
    EXPECT_EQ(kytest::RunCommand("desktop-file-validate '" + dir / "kysaver-x.desktop" + "'", &out), 0) << out;
  }
}

// GLib's launcher, an implementation of the format of its own, runs the saver itself with /C.
TEST(DesktopEntry, TheDesktopsLauncherRunsTheSaverWithC) {
  if (access("/usr/bin/gio", X_OK) != 0) GTEST_SKIP() << "gio is not installed";
  TTempDir dir;
  mkdir((dir / "my savers").c_str(), 0700);
  for (const std::string name : {"Garden.scr", "50% $off.scr", "a`b`.scr", "back\\slash \"q\".scr", "it's.scr"}) {
    SCOPED_TRACE(name);
    // A stand-in saver that writes down how it was run.
    const std::string saver = dir / "my savers/" + name;
    kytest::WriteFile(saver, "#!/bin/sh\nprintf '%s|' \"$0\" \"$@\" > '" + dir / "argv" + "'\n");
    chmod(saver.c_str(), 0700);
    unlink((dir / "argv").c_str());
    kytest::WriteFile(dir / "kysaver-x.desktop", DesktopEntryText("X", saver));
    std::string out;
    ASSERT_EQ(kytest::RunCommand("gio launch '" + dir / "kysaver-x.desktop" + "'", &out), 0) << out;
    std::string argv;
    for (int i = 0; i < 200 && (argv = kytest::ReadFile(dir / "argv")).empty(); ++i) usleep(10000);
    EXPECT_EQ(argv, saver + "|/C|");
  }
}

namespace {

// A test home folder with the system's defaults beside it.
class InstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mkdir((dir / "home").c_str(), 0700);
    kytest::WriteFile(dir / "XScreenSaver", kDefaults);
    places.Home = dir / "home";
    places.DataHome = dir / "home/.local/share";
    places.DefaultsFiles = {dir / "missing", dir / "XScreenSaver"};
  }
  std::string Listing() const {
    std::string out;
    kytest::RunCommand("cd '" + dir / "home" + "' && find . -mindepth 1 | sort | tr '\\n' ' '", &out);
    return out;
  }
  TTempDir dir;
  TInstallPlaces places;
};

}  // namespace

TEST_F(InstallTest, WithoutSettingsFileTheSystemsListIsKeptAndEverythingGoesAgain) {
  const std::string line = InstallSaver(places, kSaver, "Garden");
  EXPECT_EQ(line, "Garden: added to " + dir / "home/.xscreensaver" + " as hack 6 (made with the hacks of " + dir / "XScreenSaver" +
                      "); desktop entry " + dir / "home/.local/share/applications/kysaver-Garden.desktop" + " written");
  EXPECT_EQ(Listing(), "./.local ./.local/share ./.local/share/applications ./.local/share/applications/kysaver-Garden.desktop "
                       "./.xscreensaver ");
  const std::vector<std::string> hacks = Hacks(kytest::ReadFile(dir / "home/.xscreensaver"));
  ASSERT_EQ(hacks.size(), 6u);
  EXPECT_EQ(hacks.front(), "maze --root");
  EXPECT_EQ(hacks.back(), kEntry);
  EXPECT_EQ(kytest::ReadFile(dir / "home/.local/share/applications/kysaver-Garden.desktop"), DesktopEntryText("Garden", kSaver));

  EXPECT_EQ(UninstallSaver(places, kSaver, "Garden"),
            "Garden: removed " + dir / "home/.xscreensaver" + " (made at install, nothing else was in it); desktop entry " +
                dir / "home/.local/share/applications/kysaver-Garden.desktop" + " removed");
  EXPECT_EQ(Listing(), "");
  EXPECT_EQ(UninstallSaver(places, kSaver, "Garden"), "Garden: no " + dir / "home/.xscreensaver" + "; no desktop entry");
}

TEST_F(InstallTest, WithoutXScreenSaverTheListHoldsTheSaverAloneAndGoesWithIt) {
  places.DefaultsFiles = {dir / "missing"};
  EXPECT_EQ(InstallSaver(places, kSaver, "Garden"),
            "Garden: added to " + dir / "home/.xscreensaver" +
                " as hack 1 (made; XScreenSaver's own list of hacks was not found: is it installed?); desktop entry " +
                dir / "home/.local/share/applications/kysaver-Garden.desktop" + " written");
  EXPECT_EQ(Hacks(kytest::ReadFile(dir / "home/.xscreensaver")), std::vector<std::string>{kEntry});
  UninstallSaver(places, kSaver, "Garden");
  EXPECT_EQ(Listing(), "");
}

TEST_F(InstallTest, ThreeHacksBecomeFourStayFourAndTheOriginalBytesComeBack) {
  mkdir((dir / "home/.local").c_str(), 0700);
  const std::string original = UserFiles()[0];
  kytest::WriteFile(dir / "home/.xscreensaver", original);
  chmod((dir / "home/.xscreensaver").c_str(), 0600);
  // Another saver's entry under the same product name stays.
  mkdir((dir / "home/.local/share").c_str(), 0700);
  mkdir((dir / "home/.local/share/applications").c_str(), 0700);
  const std::string other = DesktopEntryText("Garden", "/elsewhere/Garden.scr");
  kytest::WriteFile(dir / "home/.local/share/applications/kysaver-Garden.desktop", other);

  EXPECT_EQ(InstallSaver(places, kSaver, "Garden"),
            "Garden: added to " + dir / "home/.xscreensaver" + " as hack 4; desktop entry " +
                dir / "home/.local/share/applications/kysaver-Garden-2.desktop" + " written");
  EXPECT_EQ(Hacks(kytest::ReadFile(dir / "home/.xscreensaver")).size(), 4u);
  EXPECT_EQ(InstallSaver(places, kSaver, "Garden"),
            "Garden: already in " + dir / "home/.xscreensaver" + " as hack 4; desktop entry " +
                dir / "home/.local/share/applications/kysaver-Garden-2.desktop" + " written");
  EXPECT_EQ(Hacks(kytest::ReadFile(dir / "home/.xscreensaver")).size(), 4u);
  struct stat st {};
  ASSERT_EQ(stat((dir / "home/.xscreensaver").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u) << "the file keeps its permissions";

  EXPECT_EQ(UninstallSaver(places, kSaver, "Garden"),
            "Garden: removed from " + dir / "home/.xscreensaver" + "; desktop entry " +
                dir / "home/.local/share/applications/kysaver-Garden-2.desktop" + " removed");
  EXPECT_EQ(kytest::ReadFile(dir / "home/.xscreensaver"), original);
  EXPECT_EQ(kytest::ReadFile(dir / "home/.local/share/applications/kysaver-Garden.desktop"), other);
}

TEST_F(InstallTest, ASaverRebuiltUnderANewNameKeepsOneEntryOfEachKind) {
  kytest::WriteFile(dir / "home/.xscreensaver", UserFiles()[1]);
  InstallSaver(places, kSaver, "Garden");
  EXPECT_EQ(InstallSaver(places, kSaver, "Lake"),
            "Lake: entry replaced in " + dir / "home/.xscreensaver" + " as hack 4; desktop entry " +
                dir / "home/.local/share/applications/kysaver-Lake.desktop" + " written");
  EXPECT_EQ(Hacks(kytest::ReadFile(dir / "home/.xscreensaver")).back(), "\"Lake\"  /opt/savers/Garden.scr -root");
  EXPECT_EQ(Listing(), "./.local ./.local/share ./.local/share/applications ./.local/share/applications/kysaver-Lake.desktop "
                       "./.xscreensaver ");
  UninstallSaver(places, kSaver, "Lake");
  EXPECT_EQ(kytest::ReadFile(dir / "home/.xscreensaver"), UserFiles()[1]);
  EXPECT_EQ(Listing(), "./.xscreensaver ");
}

TEST_F(InstallTest, ALinkedSettingsFileIsWrittenThroughTheLink) {
  kytest::WriteFile(dir / "dotfiles-xscreensaver", UserFiles()[1]);
  ASSERT_EQ(symlink((dir / "dotfiles-xscreensaver").c_str(), (dir / "home/.xscreensaver").c_str()), 0);
  InstallSaver(places, kSaver, "Garden");
  struct stat st {};
  ASSERT_EQ(lstat((dir / "home/.xscreensaver").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(Hacks(kytest::ReadFile(dir / "dotfiles-xscreensaver")).size(), 4u);
  UninstallSaver(places, kSaver, "Garden");
  EXPECT_EQ(kytest::ReadFile(dir / "dotfiles-xscreensaver"), UserFiles()[1]);
}

TEST_F(InstallTest, ASettingsFileThatCannotBeReadIsAnErrorNamingIt) {
  mkdir((dir / "home/.xscreensaver").c_str(), 0700);
  try {
    InstallSaver(places, kSaver, "Garden");
    FAIL() << "no error";
  } catch (const TKyError& e) {
    EXPECT_EQ(std::string(e.what()), dir / "home/.xscreensaver" + ": not a plain file");
  }
  EXPECT_EQ(Listing(), "./.xscreensaver ") << "nothing else written";
}
