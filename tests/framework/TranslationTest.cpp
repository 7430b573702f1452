// The program's own messages follow the desktop's language: Japanese on a Japanese desktop,
// English, as written, anywhere else. The texts that the program is given (the close prompt,
// its "Save") stay as they are in every language.
#include "support/Fixtures.h"

#include "base/Error.h"
#include "base/FolderItem.h"
#include "framework/Application.h"
#include "framework/Guard.h"
#include "framework/Runtime.h"
#include "imaging/ImageEncoder.h"
#include "imaging/Picture.h"

#include <QFile>
#include <QLocale>
#include <QTest>

#include <sys/stat.h>

#include <new>

namespace {

class TranslationTest : public QuenzTest {
 protected:
  void TearDown() override {
    QLocale::setDefault(outer_);
    fw::InstallTranslations(QLocale::c());  // the tests read the texts as written
    QuenzTest::TearDown();
  }

  // Starts the framework on a desktop of that language, as the program starts.
  static void OnADesktopIn(const QLocale& language) {
    QLocale::setDefault(language);
    fw::RunFrameworkInitialization(nullptr);
  }

  // The one message that the action shows.
  static fw::MessageRequest MessageOf(const std::function<void()>& action,
                                      fw::MessageButton answer = fw::MessageButton::Action) {
    Script().Reset();
    Script().ExpectMessage(QString(), answer);
    action();
    EXPECT_TRUE(Script().Done());
    return Script().messages.empty() ? fw::MessageRequest{} : Script().messages.front();
  }

 private:
  const QLocale outer_;
};

TEST_F(TranslationTest, MessagesAreInTheDesktopsLanguage) {
  const QString pipe = PathOf(QStringLiteral("pipe.TXT"));
  ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
  const struct {
    const char* language;
    QLocale locale;
    const char* refusal;
    const char* size;
    const char* advice;
    const char* memory;
  } cases[] = {
      {"Japanese", QLocale(QLocale::Japanese, QLocale::Japan),
       "「pipe.TXT」はロゴ文書ではありません：ファイルではなく名前付きパイプ (FIFO) です",
       "幅 0 × 高さ 0 ピクセルの画像は出力できません。",
       "幅と高さは、どちらも 1 から 32767 ピクセルまでです。出力サイズ(高さ)に 1 "
       "以上の正しい数を選んで下さい。",
       "「logo.PNG」を保存できませんでした：メモリが足りません。"},
      {"C", QLocale::c(),
       "“pipe.TXT” is not a logo document: it is a named pipe (FIFO), not a file",
       "A picture of 0 × 0 pixels cannot be exported.",
       "Width and height must both be from 1 to 32767 pixels. Choose an export height of 1 or "
       "more.",
       "“logo.PNG” could not be saved: there is not enough memory."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.language);
    OnADesktopIn(c.locale);
    const auto w = Shown();

    const fw::MessageRequest refusal =
        MessageOf([&] { fw::Guard([&] { w->OpenData(std::make_shared<fw::FolderItem>(pipe)); }); });
    EXPECT_EQ(refusal.message, QString::fromUtf8(c.refusal));

    w->ExpCB().SetText(QString());
    const fw::MessageRequest size =
        MessageOf([&] { QTest::mouseClick(&w->PushButton1().Widget(), Qt::LeftButton); });
    EXPECT_EQ(size.message, QString::fromUtf8(c.size));
    EXPECT_EQ(size.explanation, QString::fromUtf8(c.advice));

    // A reason of the encoders' own, inside the message that names the file.
    QImage band(8, 8, QImage::Format_RGB32);
    band.fill(Qt::white);
    try {
      fw::SaveImage(fw::FolderItem(PathOf(QStringLiteral("logo.PNG"))), fw::Picture::kFormatPNG, -1,
                    QSize(8, 16), 8, [&](int top, int count) -> fw::ImageRows {
                      if (top > 0) throw std::bad_alloc();
                      return {band.constBits(), band.bytesPerLine(), count};
                    });
      ADD_FAILURE() << "the save did not fail";
    } catch (const fw::Error& e) {
      EXPECT_EQ(e.Text(), QString::fromUtf8(c.memory));
    }

    // The close prompt is the same in every language.
    w->mDuty = true;
    const fw::MessageRequest prompt = MessageOf([&] { w->Close(); }, fw::MessageButton::Alternate);
    EXPECT_EQ(prompt.message,
              QStringLiteral("Do you want to save changes to this document before closing?"));
    EXPECT_EQ(prompt.actionCaption, QStringLiteral("Save"));
    EXPECT_EQ(prompt.alternateCaption, QStringLiteral("Don't Save"));
  }
}

}  // namespace
