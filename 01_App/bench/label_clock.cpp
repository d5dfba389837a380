// The yardstick for the clock's start-up and memory: a bare Qt window with one label that shows
// the time and a line of Japanese in the clock's Noto CJK font, redrawn once a second.
#include <QApplication>
#include <QDateTime>
#include <QFont>
#include <QLabel>
#include <QTimer>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QLabel label;
  label.setWindowTitle(QStringLiteral("ベルカン 42"));
  label.setFont(QFont(QStringLiteral("Noto Sans Mono CJK JP"), 12));
  const auto tick = [&label] {
    label.setText(QDateTime::currentDateTime().toString(QStringLiteral("yyyy.MM.dd  hh:mm:ss")) +
                  QStringLiteral("\n平日 6:20 発車 9分前\nもうすぐ来ます。"));
  };
  tick();
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, tick);
  timer.start(1000);
  label.show();
  return app.exec();
}
