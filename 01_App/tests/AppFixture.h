// A clock window on timetables built in code, in a temporary program folder, at a set time.
#pragma once

#include <gtest/gtest.h>

#include <QDateTime>
#include <QLabel>
#include <QTemporaryDir>
#include <initializer_list>
#include <memory>
#include <vector>

#include "DataFile.h"
#include "IniFile.h"
#include "MessageBox.h"
#include "frmVelkan42.h"

namespace v42::test {

struct Row {
  int Hour;
  std::vector<int> Minutes;
};

inline TimetableRecord Record(const char* title, std::initializer_list<Row> rows) {
  TimetableRecord record;
  record.Title = title;
  int r = 0;
  for (const Row& row : rows) {
    record.Departures[r][0].Value = static_cast<std::uint8_t>(row.Hour);
    int s = 1;
    for (int m : row.Minutes) record.Departures[r][s++].Value = static_cast<std::uint8_t>(m);
    ++r;
  }
  return record;
}

// 5..10 o'clock, with an hour (9) without departures.
inline TimetableRecord DayService() {
  return Record(
      "平日",
      {{5, {10, 40}}, {6, {0, 15, 30, 45}}, {7, {5}}, {8, {15, 20, 50}}, {9, {}}, {10, {5, 30}}});
}

// Rows that pass midnight.
inline TimetableRecord NightService() {
  return Record("深夜", {{22, {10, 40}}, {23, {30}}, {0, {5, 20}}, {1, {0}}});
}

class AppFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    MessageBoxSeam::StartRecording();
    SetIniDefaults(settings_);
    settings_.MessageTimes_Min = 3;
    settings_.MessageBlinkFlag = 1;
  }
  void TearDown() override {
    window_.reset();
    MessageBoxSeam::StopRecording();
  }

  std::filesystem::path Folder() const { return dir_.path().toStdString(); }

  // Writes the files and loads and shows the window at the given time.
  frmVelkan42& Open(std::initializer_list<TimetableRecord> records, const QTime& at) {
    TimetableStore store;
    for (const auto& record : records) store.Records[store.Count++] = record;
    WriteDataFile(store, Folder());
    WriteIniFile(settings_, Folder());
    context_.AppFolder = Folder();
    now_ = QDateTime(QDate(2026, 12, 6), at);
    window_ = std::make_unique<frmVelkan42>(context_);
    window_->SetClock([this] { return now_; });
    EXPECT_TRUE(window_->Form_Load());
    window_->show();
    return *window_;
  }

  // Moves the set time on and ticks once.
  void TickAt(const QTime& at) {
    now_ = QDateTime(QDate(2026, 12, 6), at);
    window_->Timer1_Timer();
  }

  template <class T = QLabel>
  T* Find(const char* name) const {
    T* w = window_->findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  QString Text(const char* name) const { return Find<QLabel>(name)->text(); }

  QTemporaryDir dir_;
  IniSettings settings_;
  ClockContext context_;
  QDateTime now_;
  std::unique_ptr<frmVelkan42> window_;
};

}  // namespace v42::test
