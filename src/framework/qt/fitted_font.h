// Fonts stepped down until a control's text fits it.
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <functional>
#include <vector>

class QLineEdit;
class QPushButton;

// The font, made narrower first when allowed (the glyphs keep their height, which reads better
// than a smaller size) and then smaller by half a point at a time, until the text fits. Below a
// legible size it stops, fitting or not.
QFont FitFont(QFont font, bool narrowFirst, const std::function<bool(const QFontMetricsF&)>& fits);

// The width a line of text may take in the field.
qreal TextRoom(const QLineEdit& field);

// Gives the buttons one font, in which every caption fits its button with the padding the style
// gives a button's text, so that the captions match.
void FitCaptions(const std::vector<QPushButton*>& buttons);
