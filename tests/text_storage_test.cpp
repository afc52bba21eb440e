// Run-time texts looked up by their designed key.
#include "dialogs/text_storage.h"

#include <gtest/gtest.h>

namespace dimmscope {
namespace {

TEST(TextStorage, LooksUpByKeyIgnoringCase) {
  const TTextStorage storage({"About", "Application Name :", "Version :", "unused"});
  EXPECT_EQ(storage.GetText("About"), "About");
  EXPECT_EQ(storage.GetText("about"), "About");
  EXPECT_EQ(storage.GetText("VERSION :"), "Version :");
  EXPECT_EQ(storage.GetText("Not stored"), "Not stored");
  EXPECT_EQ(storage.Keys(), storage.Items());
}

TEST(TextStorage, UnusedPlaceGivesTheKey) {
  TTextStorage storage({"First", "Second"});
  storage.SetItems({"First", "unused"});
  EXPECT_EQ(storage.GetText("Second"), "Second");
  EXPECT_EQ(storage.GetText("second"), "second");
}

TEST(TextStorage, TranslatedItemsAnswerTheKeysAsLoaded) {
  TTextStorage storage({"About", "Version :"});
  storage.SetItems({"A propos", "Version :"});
  EXPECT_EQ(storage.GetText("About"), "A propos");
  EXPECT_EQ(storage.GetText("A propos"), "A propos");  // not a key: itself
  // Fewer translated lines than keys: the key stands for the missing one.
  storage.SetItems({"A propos"});
  EXPECT_EQ(storage.GetText("Version :"), "Version :");
  // Loading again makes the texts in use the keys.
  storage.Loaded();
  EXPECT_EQ(storage.GetText("A propos"), "A propos");
  EXPECT_EQ(storage.GetText("About"), "About");
}

}  // namespace
}  // namespace dimmscope
