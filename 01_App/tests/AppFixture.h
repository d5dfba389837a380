// A clock window on timetables built in code, in a temporary program folder, at a set time.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QLabel>
#include <QTemporaryDir>
#include <initializer_list>
#include <memory>

#include "ClockFixture.h"
#include "DataFile.h"
#include "IniFile.h"
#include "MessageBox.h"
#include "frmVelkan42.h"

namespace v42::apptest {
using v42::test::Record;
using v42::test::Row;

// A timetable of the logic's tests with a title for the list.
inline TimetableRecord Titled(TimetableRecord record, const char* title) {
  record.Title = title;
  return record;
}
inline TimetableRecord DayService() { return Titled(v42::test::DayService(), "平日"); }
inline TimetableRecord NightService() { return Titled(v42::test::NightService(), "深夜"); }

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
    now_ = QDateTime(date_, at);
    window_ = std::make_unique<frmVelkan42>(context_);
    window_->SetClock([this] { return now_; });
    EXPECT_TRUE(window_->Form_Load());
    window_->show();
    QCoreApplication::processEvents();  // what waits for the window to show: the tray
    return *window_;
  }

  // Moves the set time on, ticks once and lets what the tick queued (the alert) happen.
  void TickAt(const QTime& at) {
    now_ = QDateTime(date_, at);
    window_->Timer1_Timer();
    QCoreApplication::processEvents();
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
  QDate date_{2026, 12, 6};  // the day Open and TickAt set the time on
  QDateTime now_;
  std::unique_ptr<frmVelkan42> window_;
};

}  // namespace v42::apptest
