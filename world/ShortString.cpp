#include "world/ShortString.h"

#include <algorithm>
#include <cstring>

void TShortString::Assign(std::string_view S) {
  std::size_t n = std::min(S.size(), ShortStringCapacity);
  if (n > 0) std::memcpy(Chars.data(), S.data(), n);
  Len = static_cast<std::uint8_t>(n);
}

bool operator==(const TShortString& A, const TShortString& B) {
  return A.Size() == B.Size() && std::memcmp(A.Chars.data(), B.Chars.data(), A.Size()) == 0;
}

void TShortString::Serialize(std::uint8_t* Out) const {
  Out[0] = Len;
  std::memcpy(Out + 1, Chars.data(), ShortStringCapacity);
}

void TShortString::Deserialize(const std::uint8_t* In) {
  Len = In[0];
  std::memcpy(Chars.data(), In + 1, ShortStringCapacity);
}
