#include "basV42Editor.h"

#include <QGuiApplication>
#include <QProcess>

#include "EditorContext.h"
#include "FirstStart.h"
#include "FirstStartOffer.h"
#include "SingleInstance.h"
#include "frmV42Editor.h"

namespace v42 {

EditorProgram::EditorProgram() = default;
EditorProgram::EditorProgram(EditorProgram&&) noexcept = default;
EditorProgram& EditorProgram::operator=(EditorProgram&&) noexcept = default;
// The window goes before the context it refers to, the lock last.
EditorProgram::~EditorProgram() {
  Window.reset();
  Context.reset();
  Guard.reset();
}

EditorProgram basV42Editor(const std::filesystem::path& appFolder,
                           const std::filesystem::path& lockFolder, bool import) {
  EditorProgram program;
  program.Guard = std::make_unique<SingleInstance>(QStringLiteral("V42Editor"),
                                                   QString::fromStdString(lockFolder.string()));
  if (!program.Guard->TryLock()) {
    program.ExitCode = program.Guard->RefuseSecondStart();
    return program;
  }
  // Wayland desktops find the menu entry, and so the icon, of a window by this name.
  QGuiApplication::setDesktopFileName("io.github.velkan42.V42Editor");
  const std::filesystem::path executableFolder =
      QGuiApplication::applicationDirPath().toStdString();
  const FirstStart start =
      import ? FirstStart::Import
             : OfferFirstStart(nullptr, appFolder, StartOptions(SampleFolder(executableFolder)));
  if (start == FirstStart::Quit) {
    program.ExitCode = 0;
    return program;
  }
  program.Context = std::make_unique<EditorContext>();
  program.Context->AppFolder = appFolder;
  program.Window = std::make_unique<frmV42Editor>(*program.Context);
  if (!program.Window->Form_Load(start == FirstStart::Import)) {
    program.Window.reset();
    return program;
  }
  program.Window->show();
  program.Guard->RaiseOnRequest(program.Window.get());
  if (start == FirstStart::Import) program.Window->menuFileImport_Click();
  return program;
}

bool ReturnToClock(const EditorProgram& program, bool thenClock,
                   const std::filesystem::path& executableFolder) {
  if (!thenClock || !program.Window || !program.Window->SavedATimetable()) return false;
  return QProcess::startDetached(QString::fromStdString((executableFolder / "Velkan42").string()),
                                 {});
}

}  // namespace v42
