// Windows open at fixed places that suit a large screen. On a smaller one
// they are moved just far enough to lie inside the screen's free area.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// The top left corner for a window (its frame) of FrameSize that wants to
// stand at Wanted: Wanted when the window fits there inside Available, else
// moved just far enough to lie inside it; a window wider or higher than
// Available keeps to its left or top edge.
QPoint PlaceInside(const QRect& Available, const QSize& FrameSize, const QPoint& Wanted);

// Moves the top-level Window to Wanted and, when it is shown for the first
// time and its frame is known, onto the available geometry of the screen it
// opens on (the one holding Wanted, else the window's own).
void PlaceOnScreen(QWidget& Window, const QPoint& Wanted);
