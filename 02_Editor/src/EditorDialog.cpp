#include "EditorDialog.h"

#include <QKeyEvent>
#include <QPushButton>

namespace v42 {

EditorDialog::EditorDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
  setAttribute(Qt::WA_DeleteOnClose);
  setSizeGripEnabled(false);
}

void EditorDialog::ShowModal() {
  setWindowModality(Qt::WindowModal);
  open();
}

void EditorDialog::reject() {
  if (closing_) {
    QDialog::reject();
    return;
  }
  CancelRequested();
}

void EditorDialog::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if ((key == Qt::Key_Return || key == Qt::Key_Enter) &&
      (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
    event->accept();
    if (auto* button = qobject_cast<QPushButton*>(focusWidget()))
      button->click();
    else
      ConfirmRequested();
    return;
  }
  QDialog::keyPressEvent(event);
}

void EditorDialog::CloseWithOk() {
  closing_ = true;
  accept();
}

void EditorDialog::CloseWithCancel() {
  closing_ = true;
  QDialog::reject();
}

}  // namespace v42
