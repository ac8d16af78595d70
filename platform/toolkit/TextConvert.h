// Conversion of texts and colours between the toolkit and Qt.
#pragma once

#include <QColor>
#include <QString>
#include <string>

#include "platform/toolkit/Controls.h"

// Text: windows-1250 bytes inside, UTF-16 in Qt.
QString ToQString(const std::string& Text);
std::string FromQString(const QString& Text);

QColor ToQColor(TColor Color);
