#include "EditorDialog.h"

namespace v42 {

EditorDialog::EditorDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
  setAttribute(Qt::WA_DeleteOnClose);
  setSizeGripEnabled(false);
}

void EditorDialog::ShowModal() {
  setWindowModality(Qt::WindowModal);
  open();
}

void EditorDialog::reject() {
  if (closing_) QDialog::reject();
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
