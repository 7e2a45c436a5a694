#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "document/change_count.h"
#include "document/undo_record.h"

namespace belmo {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Ramp(size_t size) {
  Bytes bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i);
  return bytes;
}

TEST(UndoRecord, NewRecordReplacesAndReleasesTheOld) {
  const Bytes image = Ramp(2000);
  UndoRecord undo;
  undo.UndoToggle = 1;
  RecordUndo(image, 100, 1100, undo);
  RecordUndo(image, 10, 14, undo);
  EXPECT_EQ(undo.SavedBytes, (Bytes{10, 11, 12, 13}));
  EXPECT_EQ(undo.SavedBytes.capacity(), 4u);
  EXPECT_EQ(undo.SwapBuffer.size(), 4u);
  EXPECT_EQ(undo.SwapBuffer.capacity(), 4u);
  EXPECT_EQ(undo.SpanStart, 10);
  EXPECT_EQ(undo.SpanEnd, 14);
  EXPECT_EQ(undo.UndoToggle, 1);

  ClearUndo(undo);
  EXPECT_TRUE(undo.IsEmpty());
  EXPECT_EQ(undo.SavedBytes.capacity() + undo.SwapBuffer.capacity(), 0u);
  EXPECT_EQ(undo.SpanStart + undo.SpanEnd + undo.UndoToggle, 0);
}

TEST(UndoRecord, ExchangeSwapsAndSecondExchangeRestores) {
  const Bytes original = Ramp(16);
  Bytes image = original;
  UndoRecord undo;
  RecordUndo(image, 4, 8, undo);
  for (int i = 4; i < 8; ++i) image[i] = 0xAA;
  const Bytes edited = image;

  ASSERT_TRUE(ExchangeUndoBytes(image, undo));
  EXPECT_EQ(image, original);
  EXPECT_EQ(undo.SavedBytes, Bytes(4, 0xAA));
  ASSERT_TRUE(ExchangeUndoBytes(image, undo));
  EXPECT_EQ(image, edited);
  EXPECT_EQ(undo.SavedBytes, (Bytes{4, 5, 6, 7}));
}

// A long edit is exchanged through a scratch space of bounded size, piece
// by piece; the pieces must meet exactly, including a short last one.
TEST(UndoRecord, LongSpanIsExchangedPieceByPiece) {
  const size_t size = 3 * kUndoSwapPieceBytes + 1000;
  const Bytes original = Ramp(size);
  Bytes image = original;
  UndoRecord undo;
  ASSERT_TRUE(RecordUndo(image, 3, static_cast<int32_t>(size - 5), undo));
  EXPECT_EQ(undo.SwapBuffer.size(), kUndoSwapPieceBytes);
  for (size_t i = 3; i < size - 5; ++i) image[i] = static_cast<uint8_t>(i * 7 + 1);
  const Bytes edited = image;

  ASSERT_TRUE(ExchangeUndoBytes(image, undo));
  EXPECT_TRUE(image == original);
  ASSERT_TRUE(ExchangeUndoBytes(image, undo));
  EXPECT_TRUE(image == edited);
}

TEST(UndoRecord, ExchangeRefusesRecordThatDoesNotFitImage) {
  struct Case {
    const char* name;
    size_t imageSize;
    void (*spoil)(UndoRecord&);
  };
  const Case cases[] = {
      {"Empty", 64, [](UndoRecord& u) { u = UndoRecord{}; }},
      {"FromLargerImage", 50, [](UndoRecord&) {}},
      {"SavedSizeWrong", 64, [](UndoRecord& u) { u.SavedBytes.pop_back(); }},
      {"NoScratchSpace", 64, [](UndoRecord& u) { u.SwapBuffer.clear(); }},
      {"NegativeStart", 64,
       [](UndoRecord& u) {
         u.SpanStart = -20;
         u.SpanEnd = 0;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UndoRecord undo;
    RecordUndo(Ramp(64), 40, 60, undo);
    c.spoil(undo);
    Bytes image = Ramp(c.imageSize);
    const Bytes imageBefore = image;
    const Bytes savedBefore = undo.SavedBytes;
    EXPECT_FALSE(ExchangeUndoBytes(image, undo));
    EXPECT_EQ(image, imageBefore);
    EXPECT_EQ(undo.SavedBytes, savedBefore);
  }
}

// A span the image cannot hold is refused and the last edit stays undoable.
TEST(UndoRecord, RecordOutsideImageIsRefusedAndKeepsTheLastRecord) {
  UndoRecord undo;
  ASSERT_TRUE(RecordUndo(Ramp(16), 4, 8, undo));
  EXPECT_FALSE(RecordUndo(Ramp(16), 8, 17, undo));
  EXPECT_EQ(undo.SpanStart, 4);
  EXPECT_EQ(undo.SpanEnd, 8);
  EXPECT_EQ(undo.SavedBytes.size(), 4u);
}

// M: a mask, U: an Undo, S: a save to a real file.
struct CountCase {
  const char* steps;
  int16_t count;
  bool changed;
};

class ChangeCountTest : public testing::TestWithParam<CountCase> {};

TEST_P(ChangeCountTest, NetEditsDecideWhetherChanged) {
  const CountCase& c = GetParam();
  WavDocument document;
  document.Image = Bytes(48);
  document.HasSavedFile = true;
  UndoRecord undo;
  for (const char* s = c.steps; *s != '\0'; ++s) {
    if (*s == 'M') CountMask(document, undo);
    if (*s == 'U') CountUndo(document, undo);
    if (*s == 'S') MarkSaved(document);
  }
  EXPECT_EQ(document.ChangeCount, c.count);
  EXPECT_EQ(IsChanged(document), c.changed);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, ChangeCountTest,
    testing::Values(CountCase{"", 0, false}, CountCase{"M", 1, true}, CountCase{"MU", 0, false},
                    // The first mask is still in the image.
                    CountCase{"MMU", 1, true}, CountCase{"MUU", 1, true},
                    CountCase{"MUUU", 0, false}, CountCase{"MUM", 1, true},
                    CountCase{"MUMU", 0, false},
                    // Undoing a saved edit makes the image differ from the file.
                    CountCase{"MSU", -1, true}, CountCase{"MSUU", 0, false}));

TEST(ChangeCount, RecoveredCopyIsChangedUntilSaved) {
  WavDocument document;
  document.Image = Bytes(48);
  UndoRecord undo;
  EXPECT_TRUE(IsChanged(document));
  CountMask(document, undo);
  CountUndo(document, undo);
  EXPECT_TRUE(IsChanged(document));
  MarkSaved(document);
  EXPECT_FALSE(IsChanged(document));
  document.Image.clear();
  document.HasSavedFile = false;
  document.ChangeCount = 3;
  EXPECT_FALSE(IsChanged(document));  // nothing open, nothing to lose
}

TEST(ChangeCount, SaturatesInsteadOfWrapping) {
  WavDocument document;
  UndoRecord undo;
  document.ChangeCount = INT16_MAX;
  CountMask(document, undo);
  EXPECT_EQ(document.ChangeCount, INT16_MAX);
  undo.UndoToggle = 1;
  CountUndo(document, undo);
  EXPECT_EQ(document.ChangeCount, INT16_MAX);
  document.ChangeCount = INT16_MIN;
  CountUndo(document, undo);
  EXPECT_EQ(document.ChangeCount, INT16_MIN);
}

}  // namespace
}  // namespace belmo
