// Hundreds of windows opened, written, read and closed in a row: every window goes once it is
// closed, and the heap does not grow from one round to the next.
#include "support/Fixtures.h"
#include "support/Heap.h"

#include "base/FolderItem.h"
#include "framework/Application.h"
#include "framework/WindowList.h"

#include <QTest>

#include <cstddef>

namespace {

using LoopTest = QuenzTest;

TEST_F(LoopTest, WindowsAndDocumentsInALoopLeaveNothingBehind) {
  constexpr int kRounds = 300;
  constexpr int kWarmUp = 50;
  const QString path = PathOf(QStringLiteral("loop.TXT"));
  std::size_t afterWarmUp = 0;
  for (int round = 0; round < kRounds; ++round) {
    std::weak_ptr<QuenzWin> gone[2];
    {
      auto writer = NewWindow();
      writer->Show();
      QTest::keyClicks(&writer->LogoTF().Widget(), "AB");
      QTest::mouseClick(&writer->PosBB(2).Widget(), Qt::LeftButton);
      writer->SaveData(std::make_shared<fw::FolderItem>(path));

      auto reader = NewWindow();
      reader->Show();
      reader->OpenData(std::make_shared<fw::FolderItem>(path));
      ASSERT_EQ(reader->LogoTF().Text(), writer->LogoTF().Text());
      reader->fcv().Widget().repaint();

      writer->mDuty = false;
      writer->Close();
      reader->Close();
      gone[0] = writer;
      gone[1] = reader;
    }
    Flush();
    ASSERT_TRUE(gone[0].expired() && gone[1].expired())
        << "a closed window stayed, round " << round;
    if (round == kWarmUp) afterWarmUp = LiveHeapBytes();
  }
  ASSERT_TRUE(fw::OpenWindows().empty());
  const std::ptrdiff_t growth = std::ptrdiff_t(LiveHeapBytes()) - std::ptrdiff_t(afterWarmUp);
  // A window with its controls and pictures takes far more than this; a leak of one per round
  // would take some hundred times more.
  EXPECT_LT(growth, 256 * 1024) << "the heap grew by " << growth << " bytes in "
                                << kRounds - kWarmUp << " rounds";
}

}  // namespace
