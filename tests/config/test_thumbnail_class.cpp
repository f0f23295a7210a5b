// TKyThumbnail2 created from a window text through the player's class registry, and fed through
// the picture-grid face a configuration window uses.
#include <gtest/gtest.h>

#include <QFrame>

#include "config/uFormParser.h"
#include "config/ui/thumbnails/uKyThumbnail2.h"
#include "config/ui/uFormInstantiator.h"
#include "config/ui/uPictureGrid.h"
#include "qt_test_app.h"

using namespace ky;

TEST(ThumbnailGridClass, BuiltFromAWindowTextAndFedAsAPictureGrid) {
  kytest::App();
  const std::string text =
      "object ThumbnailWindow: TForm\n"
      "  object KyThumbnail1: TKyThumbnail2\n"
      "    Left = 8\n    Top = 8\n    Width = 424\n    Height = 320\n    Color = clWindow\n"
      "    BorderStyle = bsNone\n    Ctl3D = False\n    DefaultColWidth = 64\n"
      "    ShowCheckBox = True\n    ShowTitle = True\n    MultiRows = True\n"
      "    PictureWidth = 60\n    PictureHeight = 45\n"
      "  end\n"
      "end\n";
  TFormInstance form = InstantiateForm(ParseFormText(text, "t.dfm"), StandardFormClasses(), "t.dfm");
  ASSERT_EQ(form.Components.size(), 2u);
  auto* grid = dynamic_cast<TKyThumbnail2*>(form.Components[1]->Object.data());
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(grid->geometry(), QRect(8, 8, 424, 320));
  EXPECT_TRUE(grid->ShowCheckBox());
  EXPECT_TRUE(grid->ShowTitle());
  EXPECT_TRUE(grid->MultiRows());
  EXPECT_EQ(grid->PictureWidth(), 60);
  EXPECT_EQ(grid->PictureHeight(), 45);
  EXPECT_EQ(grid->frameShape(), QFrame::NoFrame);
  EXPECT_EQ(form.Ignored.count("TKyThumbnail2.DefaultColWidth"), 1u);  // a string grid's own, taken and left alone
  EXPECT_EQ(form.Ignored.count("TKyThumbnail2.Ctl3D"), 0u);

  auto* face = dynamic_cast<TPictureGrid*>(form.Components[1]->Object.data());
  ASSERT_NE(face, nullptr);
  std::vector<int> selected;
  face->OnSelectPicture = [&](int i) { selected.push_back(i); };
  face->SetFiles({"/n/0.jpg", "/n/1.jpg", "/n/2.jpg", "/n/3.jpg", "/n/4.jpg", "/n/5.jpg", "/n/6.jpg"});
  EXPECT_EQ(grid->ColCount(), 5);  // 424 div 80
  EXPECT_EQ(grid->RowCount(), 2);
  EXPECT_EQ(grid->DefaultRowHeight(), 45 + 20 + 30);
  face->SetChecked(3, true);
  EXPECT_TRUE(grid->Checked(3));
  EXPECT_FALSE(face->Checked(2));
  face->SelectIndex(6);
  EXPECT_EQ(grid->Col(), 1);
  EXPECT_EQ(grid->Row(), 1);
  EXPECT_EQ(selected, (std::vector<int>{6}));
}
