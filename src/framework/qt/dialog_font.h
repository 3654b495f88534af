// The font of a dialog's template, or the closest Japanese face installed.
#pragma once

#include <QFont>
#include <QStringList>

#include "framework/resources.h"

// The wanted family where it can show Japanese, else the best of the installed Japanese families:
// a known face made for screen text, then any Gothic or sans-serif face, then any other; a face
// that only exists to show every character somehow (a fallback) comes last.
QString ChooseFontFamily(const QString& wanted, const QStringList& japaneseFamilies);

QFont DialogFont(const DialogTemplate& resource);
