// Window geometry is designed in twips (1440 per inch); the screen's logical DPI turns it into
// pixels, so a layout keeps its proportions on any screen (15 twips per pixel at 96 DPI).
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace v42 {

inline constexpr int kTwipsPerInch = 1440;

int TwipsToPixelsX(int twips);
int TwipsToPixelsY(int twips);
int PixelsToTwipsX(int pixels);
int PixelsToTwipsY(int pixels);

QSize TwipsSize(int width, int height);
QPoint TwipsPoint(int left, int top);
QRect TwipsRect(int left, int top, int width, int height);

// Places a control inside its container as designed.
void PlaceTwips(QWidget* widget, int left, int top, int width, int height);
void MoveTwips(QWidget* widget, int left, int top);
// Fixes a window's client area, as a fixed border does.
void FixClientSizeTwips(QWidget* window, int width, int height);

// A window's place on the screen in twips, frame included, as the programs compute popups.
int WindowLeftTwips(const QWidget* window);
int WindowTopTwips(const QWidget* window);

// Centres a top-level window on its screen's available area.
void CentreOnScreen(QWidget* window);

}  // namespace v42
