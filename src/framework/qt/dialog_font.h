// The font of a dialog's template, or the closest Japanese face installed.
#pragma once

#include <QFont>

#include "framework/resources.h"

QFont DialogFont(const DialogTemplate& resource);
