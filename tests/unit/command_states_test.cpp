#include "window/command_states.h"

#include <gtest/gtest.h>

namespace belmo {
namespace {

// Each situation the program passes through, with the states the main
// window must show in it.
TEST(WorkOutCommandStates, FollowsTheSituation) {
  struct Case {
    const char* name;
    ProgramSituation situation;
    CommandStates expected;
  };
  //                                    open   play   revert undo   seek
  const Case cases[] = {
      {"start-up, no document",        {false, false, false, false, false},
       // Open Revert Undo Masks Sliders Boxes Play MaskButtons Radios Waveform
       {true, false, false, false, false, true, false, false, false, false}},
      {"just opened",                  {true, false, false, false, false},
       {true, false, false, true, true, true, true, true, false, true}},
      {"after a mask",                 {true, false, true, true, false},
       {true, true, true, true, true, true, true, true, false, true}},
      {"saved after a mask",           {true, false, false, false, false},
       {true, false, false, true, true, true, true, true, false, true}},
      {"recovered copy, masked",       {true, false, false, true, false},
       {true, false, true, true, true, true, true, true, false, true}},
      {"playing an edited file",       {true, true, true, true, true},
       {false, false, false, false, false, false, true, false, true, false}},
      {"seek checked, no document",    {false, false, false, false, true},
       {true, false, false, false, false, true, false, false, true, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const CommandStates got = WorkOutCommandStates(c.situation);
    const CommandStates& want = c.expected;
    EXPECT_EQ(got.Open, want.Open);
    EXPECT_EQ(got.Revert, want.Revert);
    EXPECT_EQ(got.Undo, want.Undo);
    EXPECT_EQ(got.Masks, want.Masks);
    EXPECT_EQ(got.Sliders, want.Sliders);
    EXPECT_EQ(got.SecondsBoxes, want.SecondsBoxes);
    EXPECT_EQ(got.PlayButton, want.PlayButton);
    EXPECT_EQ(got.MaskButtons, want.MaskButtons);
    EXPECT_EQ(got.SeekRadios, want.SeekRadios);
    EXPECT_EQ(got.Waveform, want.Waveform);
  }
}

}  // namespace
}  // namespace belmo
