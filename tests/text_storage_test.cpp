// Run-time texts looked up by their designed key.
#include "dialogs/text_storage.h"

#include <gtest/gtest.h>

namespace dimmscope {
namespace {

TEST(TextStorage, LooksUpByKeyIgnoringCaseAndFallsBackToTheKey) {
  TTextStorage storage({"About", "Version :", "Second"});
  EXPECT_EQ(storage.GetText("about"), "About");
  EXPECT_EQ(storage.GetText("Not stored"), "Not stored");
  // Translated items answer the keys; an unused place or a missing line gives the key.
  storage.SetItems({"A propos", "unused"});
  EXPECT_EQ(storage.GetText("About"), "A propos");
  EXPECT_EQ(storage.GetText("A propos"), "A propos");  // not a key: itself
  EXPECT_EQ(storage.GetText("version :"), "version :");
  EXPECT_EQ(storage.GetText("Second"), "Second");
  // Loading again makes the texts in use the keys.
  storage.Loaded();
  EXPECT_EQ(storage.GetText("About"), "About");
}

}  // namespace
}  // namespace dimmscope
