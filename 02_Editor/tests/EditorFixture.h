// The editor on timetables built in code, in a temporary program folder, driven by real keys
// and clicks. Message boxes and colour picks are recorded, never shown.
#pragma once

#include <gtest/gtest.h>

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

// A timetable from startHour on, one row of minutes per hour; a minute given as {m, 'x'}
// carries a type.
struct Minute {
  int Value;
  char Type = 0;
};
inline TimetableRecord Timetable(const std::string& title, int startHour,
                                 const std::vector<std::vector<Minute>>& rows) {
  TimetableRecord record;
  record.Title = title;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    record.Departures[r][0].Value = static_cast<std::uint8_t>((startHour + r) % 24);
    for (std::size_t s = 0; s < rows[r].size(); ++s)
      record.Departures[r][s + 1] = {static_cast<std::uint8_t>(rows[r][s].Value),
                                     static_cast<std::uint8_t>(rows[r][s].Type)};
  }
  return record;
}

template <class T>
T* Child(QObject* parent, const QString& name = {}) {
  return parent ? parent->findChild<T*>(name, Qt::FindDirectChildrenOnly) : nullptr;
}

// The window of that kind that is open now (closed ones linger until deleted).
template <class T>
T* OpenWindow(QObject* parent) {
  if (!parent) return nullptr;
  for (T* window : parent->findChildren<T*>(QString(), Qt::FindDirectChildrenOnly))
    if (window->isVisible()) return window;
  return nullptr;
}

inline void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

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
    ColorPickerSeam::Reset();
  }
  void TearDown() override {
    window_.reset();
    ColorPickerSeam::Reset();
    MessageBoxSeam::StopRecording();
  }

  std::filesystem::path Folder() const { return dir_.path().toStdString(); }

  // Writes the data file and starts the list window on it.
  frmV42Editor& Open(const std::vector<TimetableRecord>& records) {
    TimetableStore store;
    for (const auto& record : records) store.Records[store.Count++] = record;
    WriteDataFile(store, Folder());
    return Restart();
  }
  frmV42Editor& Restart() {
    window_.reset();
    context_ = std::make_unique<EditorContext>();
    context_->AppFolder = Folder();
    window_ = std::make_unique<frmV42Editor>(*context_);
    loaded_ = window_->Form_Load();
    if (loaded_) {
      window_->show();
      EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    }
    return *window_;
  }

  TimetableStore& Store() { return context_->Store; }
  QListWidget* List() { return window_->findChild<QListWidget*>("lstDataList"); }
  QPushButton* Button(int i) {
    return Child<QPushButton>(window_->centralWidget(), QStringLiteral("cmdAct_%1").arg(i));
  }
  std::array<bool, 6> States() {
    std::array<bool, 6> on{};
    for (int i = 0; i < 6; ++i) on[i] = Button(i)->isEnabled();
    return on;
  }
  std::vector<std::string> ListTexts() {
    std::vector<std::string> texts;
    for (int i = 0; i < List()->count(); ++i)
      texts.push_back(List()->item(i)->text().toStdString());
    return texts;
  }
  void SelectEntry(int i) {
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {},
                      List()->visualItemRect(List()->item(i)).center());
  }

  // Opens the departure editor on entry i through the "Edit" button.
  frmDataEdit* Edit(int i) {
    SelectEntry(i);
    Click(Button(3));
    auto* editor = OpenWindow<frmDataEdit>(window_.get());
    if (editor) {
      EXPECT_TRUE(QTest::qWaitForWindowExposed(editor));
    }
    return editor;
  }
  // Opens one of the editor's dialogs through its button (2 Time, 3 Color, 4 Type).
  template <class T>
  T* OpenDialog(frmDataEdit* editor, int button) {
    Click(Child<QPushButton>(editor, QStringLiteral("cmdAct_%1").arg(button)));
    auto* dialog = OpenWindow<T>(editor);
    if (dialog) {
      EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog));
    }
    return dialog;
  }
  static void Press(QWidget* dialog, int button) {
    Click(Child<QPushButton>(dialog, QStringLiteral("cmdAct_%1").arg(button)));
  }

  // True once a window that closed itself is gone.
  template <class T>
  static bool Gone(const QPointer<T>& window) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return window.isNull();
  }

  static const std::vector<MessageCall>& Messages() { return MessageBoxSeam::Calls(); }

  QTemporaryDir dir_;
  std::unique_ptr<EditorContext> context_;
  std::unique_ptr<frmV42Editor> window_;
  bool loaded_ = false;
};

}  // namespace v42::test
