#include "Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace v42 {

namespace {
QScreen* Screen() { return QGuiApplication::primaryScreen(); }
double DpiX() { return Screen() ? Screen()->logicalDotsPerInchX() : 96.0; }
double DpiY() { return Screen() ? Screen()->logicalDotsPerInchY() : 96.0; }
int Scale(int value, double num, double den) {
  return static_cast<int>(std::lround(value * num / den));
}
}  // namespace

int TwipsToPixelsX(int twips) { return Scale(twips, DpiX(), kTwipsPerInch); }
int TwipsToPixelsY(int twips) { return Scale(twips, DpiY(), kTwipsPerInch); }
int PixelsToTwipsX(int pixels) { return Scale(pixels, kTwipsPerInch, DpiX()); }
int PixelsToTwipsY(int pixels) { return Scale(pixels, kTwipsPerInch, DpiY()); }

QSize TwipsSize(int width, int height) { return {TwipsToPixelsX(width), TwipsToPixelsY(height)}; }
QPoint TwipsPoint(int left, int top) { return {TwipsToPixelsX(left), TwipsToPixelsY(top)}; }
QRect TwipsRect(int left, int top, int width, int height) {
  return {TwipsPoint(left, top), TwipsSize(width, height)};
}

void PlaceTwips(QWidget* widget, int left, int top, int width, int height) {
  widget->setGeometry(TwipsRect(left, top, width, height));
}
void MoveTwips(QWidget* widget, int left, int top) { widget->move(TwipsPoint(left, top)); }
void FixClientSizeTwips(QWidget* window, int width, int height) {
  window->setFixedSize(TwipsSize(width, height));
}

int WindowLeftTwips(const QWidget* window) { return PixelsToTwipsX(window->frameGeometry().x()); }
int WindowTopTwips(const QWidget* window) { return PixelsToTwipsY(window->frameGeometry().y()); }

void CentreOnScreen(QWidget* window) {
  QScreen* screen = window->screen() ? window->screen() : Screen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  const QSize size = window->frameGeometry().size();
  window->move(area.x() + (area.width() - size.width()) / 2,
               area.y() + (area.height() - size.height()) / 2);
}

}  // namespace v42
