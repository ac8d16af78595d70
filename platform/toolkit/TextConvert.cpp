#include "platform/toolkit/TextConvert.h"

#include "platform/rtl/Cp1250.h"

// ---------------------------------------------------------------------------
// Text and colours

QString ToQString(const std::string& Text) {
  QString out;
  out.reserve(static_cast<qsizetype>(Text.size()));
  for (char c : Text) out.append(QChar(static_cast<char16_t>(Cp1250ToUnicode(static_cast<std::uint8_t>(c)))));
  return out;
}

std::string FromQString(const QString& Text) {
  std::string out;
  out.reserve(static_cast<size_t>(Text.size()));
  for (QChar qc : Text) {
    std::uint8_t b = 0;
    out.push_back(UnicodeToCp1250(qc.unicode(), b) ? static_cast<char>(b) : '?');
  }
  return out;
}

// ---------------------------------------------------------------------------
// Colours

QColor ToQColor(TColor Color) {
  COLORREF c = ColorToRGB(Color);
  return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}
