#pragma once
#include <QIcon>

// The programs' window icon: a receiver antenna on a survey pole.
QIcon AppIcon();
