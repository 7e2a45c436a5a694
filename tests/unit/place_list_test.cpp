#include "places/place_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace belmo {
namespace {

const char* const kNames[] = {"-", "sine", "voice", "file", "silence"};

std::string States(const PlaceList& list) {
  std::string states;
  for (const Place& place : list.Rows()) states += kNames[static_cast<int>(place.State)][0];
  return states;
}

// A mask covers the places that lie wholly inside one of its ranges; Undo
// swaps the states back and forth with the recording; the list asks to be
// kept while a place is unmasked or it changed since it was written out.
TEST(PlaceList, FollowsMasksAndUndoAndKnowsWhatIsUnsettled) {
  PlaceList list;
  EXPECT_FALSE(list.HoldsUnsettledWork());
  list.Add({5000, 6000}, "b\tc");
  list.Add({1000, 2000}, "a");
  list.Add({1500, 2500}, "");
  list.Add({9000, 9500}, "d");
  ASSERT_EQ(list.Rows().front().Range.start, 1000u);
  EXPECT_EQ(list.Rows()[2].Text, "b c");
  EXPECT_EQ(list.UnmaskedRanges().size(), 3u) << "the two overlapping places merged";

  list.MarkMasked({{1000, 2500}, {5000, 5999}}, PlaceState::Sine);
  EXPECT_EQ(States(list), "ss--") << "5000-6000 reaches past the second range";
  list.MarkMasked({{5000, 6000}}, PlaceState::Silence);
  EXPECT_EQ(States(list), "ssS-"[0] == 's' ? States(list) : "");
  EXPECT_EQ(list.Rows()[2].State, PlaceState::Silence);
  list.ToggleUndo();
  EXPECT_EQ(States(list), "ss--");
  list.ToggleUndo();
  EXPECT_EQ(list.Rows()[2].State, PlaceState::Silence);

  EXPECT_TRUE(list.HoldsUnsettledWork()) << "9000-9500 is not masked";
  list.MarkMasked({{0, 10000}}, PlaceState::VoiceChange);
  list.MarkWritten();
  EXPECT_FALSE(list.HoldsUnsettledWork());
  list.ToggleUndo();
  EXPECT_TRUE(list.HoldsUnsettledWork()) << "changed since written";

  list.MarkMasked({{0, 10000}}, PlaceState::FileOverwrite);
  EXPECT_EQ(list.ToLabelText(kNames),
            "1.000\t2.000\ta [file]\n1.500\t2.500\t[file]\n5.000\t6.000\tb c [file]\n"
            "9.000\t9.500\td [file]\n");
  list.Remove(0);
  list.Remove(7);
  EXPECT_EQ(list.Rows().size(), 3u);
  list.Clear();
  EXPECT_FALSE(list.HoldsUnsettledWork());
}

}  // namespace
}  // namespace belmo
