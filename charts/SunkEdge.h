#pragma once

class QPainter;
class QRect;

// The edge of a plate sunk into its window, on the outermost pixels of
// `frame`: dark above and left, light below and right.
void DrawSunkEdge(QPainter& painter, const QRect& frame);
