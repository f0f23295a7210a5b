// Text form files from public Delphi and Lazarus projects (tests/data/forms/README.md): each is
// read without error and prints back to the same tree.
#include <gtest/gtest.h>

#include <filesystem>

#include "config/uFormParser.h"
#include "config/uFormPrinter.h"
#include "config/uTextDecode.h"
#include "form_tree_compare.h"

using namespace ky;

namespace {

const std::string kForms = KY_SOURCE_DIR "/tests/data/forms/";

TFormObject Read(const std::string& name) { return ParseFormText(ReadTextFile(kForms + name), name); }

const TFormProperty* Find(const std::vector<TFormProperty>& properties, const std::string& name) {
  for (const TFormProperty& p : properties)
    if (p.Name == name) return &p;
  return nullptr;
}

// Printed and read again, the tree is the same, and printing it again gives the same text.
void ExpectRoundTrip(const TFormObject& tree, const std::string& name) {
  const std::string once = PrintFormText(tree);
  const TFormObject again = ParseFormText(once, name);
  kytest::ExpectSameTree(tree, again);
  EXPECT_EQ(PrintFormText(again), once) << name;
}

}  // namespace

TEST(RealForms, EveryFileParsesAndRoundTrips) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kForms)) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".dfm" && ext != ".lfm") continue;
    ++files;
    const std::string name = entry.path().filename().string();
    TFormObject tree;
    ASSERT_NO_THROW(tree = Read(name)) << name;
    ExpectRoundTrip(tree, name);
  }
  EXPECT_GE(files, 3);
}

TEST(RealForms, WhatTheFilesHold) {
  // Counted in the files by hand.
  const TFormObject editvar = Read("heidisql-editvar.dfm");
  EXPECT_EQ(editvar.Name, "frmEditVariable");
  EXPECT_EQ(editvar.ClassName, "TfrmEditVariable");
  EXPECT_EQ(editvar.Properties.size(), 18u);
  ASSERT_EQ(editvar.Children.size(), 5u);
  EXPECT_EQ(editvar.Children[2].Name, "rgScope");
  EXPECT_EQ(editvar.Children[2].Line, 39);
  const TFormProperty* items = Find(editvar.Children[2].Properties, "Items.Strings");
  ASSERT_NE(items, nullptr);
  ASSERT_EQ(items->Value.List.size(), 2u);
  EXPECT_EQ(items->Value.List[1].Text, "Global");
  EXPECT_EQ(Find(editvar.Properties, "DesignSize")->Value.List.at(1).Integer, 142);
  EXPECT_EQ(Find(editvar.Children[1].Properties, "Anchors")->Value.Set,
            (std::vector<std::string>{"akLeft", "akTop", "akRight"}));

  const TFormObject hardlink = Read("doublecmd-fhardlink.lfm");
  EXPECT_EQ(hardlink.Children.size(), 6u);
  EXPECT_EQ(Find(hardlink.Properties, "BorderIcons")->Value.Set, std::vector<std::string>{"biSystemMenu"});
  EXPECT_EQ(Find(hardlink.Children[0].Properties, "Caption")->Value.Text, "&Destination that the link will point to");
  EXPECT_EQ(Find(hardlink.Children[0].Properties, "AnchorSideTop.Side")->Value.Text, "asrBottom");

  const TFormObject wcx = Read("doublecmd-foptionspluginswcx.lfm");
  EXPECT_EQ(wcx.Kind, TFormObjectKind::Inherited);
  ASSERT_EQ(wcx.Children.size(), 3u);
  EXPECT_EQ(wcx.Children[2].Children.size(), 4u);
  const TFormProperty* columns = Find(wcx.Children[0].Properties, "Columns");
  ASSERT_NE(columns, nullptr);
  ASSERT_EQ(columns->Value.Items.size(), 4u);
  EXPECT_EQ(Find(columns->Value.Items[2], "Title.Caption")->Value.Text, "Registered for");
  EXPECT_TRUE(Find(columns->Value.Items[0], "PickList.Strings")->Value.List.empty());
  EXPECT_EQ(Find(wcx.Children[0].Properties, "ColWidths")->Value.List.size(), 4u);

  const TFormObject minmax = Read("jvcl-jvminmaxform.dfm");
  ASSERT_EQ(minmax.Children.size(), 28u);  // a bevel, 12 labels, 4 speed buttons, 8 edits, 3 buttons
  const TFormObject& button = minmax.Children[13];
  EXPECT_EQ(button.Name, "MaxPosBtn");
  EXPECT_EQ(Find(button.Properties, "Hint")->Value.Text, "Set from current\r\nform state|");
  EXPECT_EQ(Find(button.Properties, "Caption")->Value.Text, "\xC2\xAC");  // #172, the not sign
  // The icon: a 16 x 16 four-bit ICO of 6 + 16 + 40 + 64 + 128 + 64 bytes.
  const std::vector<uint8_t>& icon = Find(minmax.Properties, "Icon.Data")->Value.Bytes;
  ASSERT_EQ(icon.size(), 318u);
  EXPECT_EQ(std::vector<uint8_t>(icon.begin(), icon.begin() + 4), (std::vector<uint8_t>{0, 0, 1, 0}));
  EXPECT_EQ(icon.back(), 0);
}
