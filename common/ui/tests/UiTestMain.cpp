// main() of the widget test binaries: one QApplication, user state isolated, and any Qt
// warning fails the test that caused it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>
#include <cstring>

namespace {
void FailOnWarning(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtDebugMsg || type == QtInfoMsg) return;
  // The offscreen platform says this whenever a window is shown; it is not ours.
  if (message.contains(QLatin1String("propagateSizeHints"))) return;
  // Nor can it raise a window, which bringing a window forward asks of it.
  if (message.contains(QLatin1String("does not support raise()"))) return;
  // Qt's tray icon looks for an X11 tray's signal, which the offscreen platform lacks.
  if (message.contains(QLatin1String("systemTrayWindowChanged"))) return;
  ADD_FAILURE() << "Qt warning: " << message.toStdString();
}
}  // namespace

int main(int argc, char** argv) {
  // Set here rather than by ctest, so a plain run of the binary or of ctest works alike.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER")) qputenv("SDL_AUDIODRIVER", "dummy");
  QStandardPaths::setTestModeEnabled(true);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  qInstallMessageHandler(FailOnWarning);
  return RUN_ALL_TESTS();
}
