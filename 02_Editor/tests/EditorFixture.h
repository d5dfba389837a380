// The editor on timetables built in code, in a temporary program folder, driven by real keys
// and clicks. Message boxes and colour picks are recorded, never shown.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <vector>

#include "DataFile.h"
#include "EditorContext.h"
#include "FlexGrid.h"
#include "MessageBox.h"
#include "frmColor.h"
#include "frmDataEdit.h"
#include "frmV42Editor.h"

namespace v42::test {

// A timetable from startHour on, one row of departures ({minute, type letter}) per hour.
inline TimetableRecord Timetable(const std::string& title, int startHour,
                                 const std::vector<std::vector<DepartureCell>>& rows) {
  TimetableRecord record;
  record.Title = title;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    record.Departures[r][0].Value = static_cast<std::uint8_t>((startHour + r) % 24);
    std::copy(rows[r].begin(), rows[r].end(), record.Departures[r].begin() + 1);
  }
  return record;
}

template <class T>
T* Child(QObject* parent, const QString& name = {}) {
  return parent ? parent->findChild<T*>(name, Qt::FindDirectChildrenOnly) : nullptr;
}

// The window of that kind that is open now (closed ones linger until deleted), once exposed.
template <class T>
T* OpenWindow(QObject* parent) {
  for (T* window : parent->findChildren<T*>(QString(), Qt::FindDirectChildrenOnly))
    if (window->isVisible()) return QTest::qWaitForWindowExposed(window) ? window : nullptr;
  return nullptr;
}

// True once a window that closed itself is gone.
template <class T>
bool Gone(const QPointer<T>& window) {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return window.isNull();
}

inline void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }
// A window's button cmdAct(i).
inline QPushButton* ActButton(QWidget* window, int i) {
  return Child<QPushButton>(window, QStringLiteral("cmdAct_%1").arg(i));
}
inline void Press(QWidget* window, int i) { Click(ActButton(window, i)); }

// Types text, Japanese included, into a widget key by key.
inline void TypeText(QWidget* widget, const QString& text) {
  for (const QChar ch : text)
    QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

inline QPoint CellCentre(FlexGrid* grid, int row, int col) {
  return grid->CellRect(row, col).center() - grid->viewport()->pos();
}
inline void ClickCell(FlexGrid* grid, int row, int col, Qt::MouseButton button = Qt::LeftButton) {
  QTest::mouseClick(grid->viewport(), button, {}, CellCentre(grid, row, col));
}
inline void DoubleClickCell(FlexGrid* grid, int row, int col) {
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, CellCentre(grid, row, col));
}

class EditorFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    MessageBoxSeam::StartRecording();
  }
  void TearDown() override {
    window_.reset();
    ColorPickerSeam::Reset();
    MessageBoxSeam::StopRecording();
  }

  std::filesystem::path Folder() const { return dir_.path().toStdString(); }

  // Writes the data file and starts the list window on it.
  void Open(const std::vector<TimetableRecord>& records) {
    TimetableStore store;
    for (const auto& record : records) store.Records[store.Count++] = record;
    WriteDataFile(store, Folder());
    EXPECT_TRUE(Restart());
  }
  // False when Form_Load ends the program.
  bool Restart() {
    window_.reset();
    context_ = std::make_unique<EditorContext>();
    context_->AppFolder = Folder();
    window_ = std::make_unique<frmV42Editor>(*context_);
    if (!window_->Form_Load()) return false;
    window_->show();
    return QTest::qWaitForWindowExposed(window_.get());
  }

  TimetableStore& Store() { return context_->Store; }
  void Menu(const char* name) { window_->findChild<QAction*>(name)->trigger(); }
  QListWidget* List() { return window_->findChild<QListWidget*>("lstDataList"); }
  void Act(int i) { Press(window_->centralWidget(), i); }
  std::array<bool, 6> States() {
    std::array<bool, 6> on{};
    for (int i = 0; i < 6; ++i) on[i] = ActButton(window_->centralWidget(), i)->isEnabled();
    return on;
  }
  std::vector<std::string> ListTexts() {
    std::vector<std::string> texts;
    for (int i = 0; i < List()->count(); ++i)
      texts.push_back(List()->item(i)->text().toStdString());
    return texts;
  }
  QPoint EntryCentre(int i) { return List()->visualItemRect(List()->item(i)).center(); }
  void SelectEntry(int i) {
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, EntryCentre(i));
  }

  // Opens the departure editor on entry i through the "Edit" button.
  frmDataEdit* Edit(int i) {
    SelectEntry(i);
    Act(3);
    return editor_ = OpenWindow<frmDataEdit>(window_.get());
  }
  // Opens one of the editor's dialogs through its button (2 Time, 3 Color, 4 Type).
  template <class T>
  T* OpenDialog(int button) {
    Press(editor_, button);
    T* dialog = OpenWindow<T>(editor_);
    EXPECT_NE(dialog, nullptr);
    return dialog;
  }

  static const std::vector<MessageCall>& Messages() { return MessageBoxSeam::Calls(); }
  // The one message box shown since the last check.
  static void ExpectMessage(const std::string& text, const std::string& caption, MsgIcon icon) {
    ASSERT_EQ(Messages().size(), 1u) << text;
    EXPECT_EQ(Messages()[0].Text, text);
    EXPECT_EQ(Messages()[0].Caption, caption);
    EXPECT_EQ(Messages()[0].Icon, icon);
    MessageBoxSeam::ClearCalls();
  }

  QTemporaryDir dir_;
  std::unique_ptr<EditorContext> context_;
  std::unique_ptr<frmV42Editor> window_;
  QPointer<frmDataEdit> editor_;
};

}  // namespace v42::test
