#pragma once
// Two form trees compared field by field with GoogleTest, source positions of properties and
// values apart (a printed tree starts its lines elsewhere).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/uFormTree.h"

namespace kytest {

using ky::TFormObject;
using ky::TFormProperty;
using ky::TFormValue;

inline void ExpectSameValue(const TFormValue& a, const TFormValue& b, const std::string& where);
inline void ExpectSameProperties(const std::vector<TFormProperty>& a, const std::vector<TFormProperty>& b,
                          const std::string& where) {
  ASSERT_EQ(a.size(), b.size()) << where;
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].Name, b[i].Name) << where;
    ExpectSameValue(a[i].Value, b[i].Value, where + "." + a[i].Name);
  }
}
inline void ExpectSameValue(const TFormValue& a, const TFormValue& b, const std::string& where) {
  ASSERT_EQ(a.Kind, b.Kind) << where;
  EXPECT_EQ(a.Integer, b.Integer) << where;
  EXPECT_EQ(a.Float, b.Float) << where;
  EXPECT_EQ(a.Text, b.Text) << where;
  EXPECT_EQ(a.Set, b.Set) << where;
  EXPECT_EQ(a.Bytes, b.Bytes) << where;
  ASSERT_EQ(a.List.size(), b.List.size()) << where;
  for (size_t i = 0; i < a.List.size(); ++i) ExpectSameValue(a.List[i], b.List[i], where + "[" + std::to_string(i) + "]");
  ASSERT_EQ(a.Items.size(), b.Items.size()) << where;
  for (size_t i = 0; i < a.Items.size(); ++i) ExpectSameProperties(a.Items[i], b.Items[i], where + "<item>");
}

inline void ExpectSameTree(const TFormObject& a, const TFormObject& b) {
  EXPECT_EQ(a.Kind, b.Kind) << a.Name;
  EXPECT_EQ(a.Name, b.Name);
  EXPECT_EQ(a.ClassName, b.ClassName) << a.Name;
  EXPECT_EQ(a.Position, b.Position) << a.Name;
  ExpectSameProperties(a.Properties, b.Properties, a.Name);
  ASSERT_EQ(a.Children.size(), b.Children.size()) << a.Name;
  for (size_t i = 0; i < a.Children.size(); ++i) ExpectSameTree(a.Children[i], b.Children[i]);
}

}  // namespace kytest
