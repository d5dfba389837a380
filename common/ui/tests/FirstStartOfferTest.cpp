#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "DataFile.h"
#include "FirstStartOffer.h"
#include "MessageBox.h"

namespace v42 {
namespace {

namespace fs = std::filesystem;

class FirstStartOfferTest : public ::testing::Test {
 protected:
  void SetUp() override { MessageBoxSeam::StartRecording(); }
  void TearDown() override { MessageBoxSeam::StopRecording(); }

  fs::path Folder() const { return folder_.path().toStdString(); }
  fs::path DataFile() const { return Folder() / kDataFileName; }
  static std::string Bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  // The choices the offers so far showed, one line per box.
  static std::string Offered() {
    std::string offered;
    for (const MessageCall& call : MessageBoxSeam::Calls()) {
      for (const std::string& choice : call.Choices) offered += choice + "|";
      offered += call.Choices.empty() ? call.Caption + "\n" : "\n";
    }
    return offered;
  }

  QTemporaryDir folder_;
};

TEST_F(FirstStartOfferTest, EachChoiceMakesItsFileOrNone) {
  const fs::path sample = V42_EXAMPLES_DIR;
  MessageBoxSeam::QueueChoice(0);
  EXPECT_EQ(OfferFirstStart(nullptr, Folder(), StartOptions(sample)), FirstStart::Ready);
  EXPECT_EQ(Bytes(DataFile()), Bytes(sample / kDataFileName));
  EXPECT_EQ(Offered(),
            "サンプルの時刻表で始める|空の時刻表で始める|GTFSフィードから取り込む|終了|\n");
  const MessageCall& offer = MessageBoxSeam::Calls()[0];
  EXPECT_NE(offer.Text.find("velkan42.dat"), std::string::npos);
  EXPECT_NE(offer.Text.find(folder_.path().toStdString()), std::string::npos);
  EXPECT_EQ(offer.Icon, MsgIcon::Question);

  fs::remove(DataFile());
  MessageBoxSeam::QueueChoice(1);
  EXPECT_EQ(OfferFirstStart(nullptr, Folder(), StartOptions(sample)), FirstStart::ReadyEmpty);
  TimetableStore store;
  ReadDataFile(store, Folder());
  EXPECT_EQ(store.Count, 1);

  // The import leaves the file to the editor's first save.
  fs::remove(DataFile());
  MessageBoxSeam::QueueChoice(2);
  EXPECT_EQ(OfferFirstStart(nullptr, Folder(), StartOptions(sample)), FirstStart::Import);
  EXPECT_TRUE(fs::is_empty(Folder()));

  MessageBoxSeam::QueueChoice(3);
  EXPECT_EQ(OfferFirstStart(nullptr, Folder(), StartOptions(sample)), FirstStart::Quit);
  EXPECT_TRUE(fs::is_empty(Folder()));
}

TEST_F(FirstStartOfferTest, WithoutASampleTheSampleIsNotOffered) {
  EXPECT_EQ(OfferFirstStart(nullptr, Folder(), StartOptions({})), FirstStart::Quit);
  EXPECT_EQ(Offered(), "空の時刻表で始める|GTFSフィードから取り込む|終了|\n");
}

// A damaged timetable is the reader's to report: no offer, and its bytes stay as they are.
TEST_F(FirstStartOfferTest, AnyFileAtTheNameIsLeftAlone) {
  std::ofstream(DataFile(), std::ios::binary) << "\x80\x80 damaged";
  EXPECT_EQ(OfferFirstStart(nullptr, Folder(), StartOptions(V42_EXAMPLES_DIR)), FirstStart::Ready);
  EXPECT_TRUE(MessageBoxSeam::Calls().empty());
  EXPECT_EQ(Bytes(DataFile()), "\x80\x80 damaged");
}

TEST_F(FirstStartOfferTest, AFailedOrAbandonedChoiceAsksAgain) {
  int tries = 0;
  const std::vector<StartOption> options = {
      {"失敗",
       [&](QWidget*, const fs::path&) -> bool { throw FileError("書けません", "書込エラー"); }},
      {"中止", [&](QWidget*, const fs::path&) { return ++tries > 1; }},
  };
  for (int choice : {0, 1, 1}) MessageBoxSeam::QueueChoice(choice);
  EXPECT_EQ(OfferFirstStart(nullptr, Folder(), options), FirstStart::Ready);
  EXPECT_EQ(Offered(), "失敗|中止|終了|\n書込エラー\n失敗|中止|終了|\n失敗|中止|終了|\n");
  EXPECT_EQ(tries, 2);
}

}  // namespace
}  // namespace v42
