#include "platform/toolkit/Strings.h"

#include "platform/rtl/Cp1250.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"

void TStrings::CheckIndex(int Index, int Limit) const {
  if (Index < 0 || Index > Limit) throw EListError(Format("List index out of bounds (%d)", Index));
}

void TStrings::Changed(TChange Change, int Index) {
  if (FSink) FSink(Change, Index);
  if (OnChange) OnChange(this);
}

const std::string& TStrings::Strings(int Index) const {
  CheckIndex(Index, Count() - 1);
  return FItems[static_cast<size_t>(Index)];
}

void TStrings::SetStrings(int Index, const std::string& S) {
  CheckIndex(Index, Count() - 1);
  FItems[static_cast<size_t>(Index)] = S;
  Changed(scPut, Index);
}

int TStrings::Add(const std::string& S) {
  Insert(Count(), S);
  return Count() - 1;
}

void TStrings::Insert(int Index, const std::string& S) {
  CheckIndex(Index, Count());
  FItems.insert(FItems.begin() + Index, S);
  Changed(scInsert, Index);
}

void TStrings::Delete(int Index) {
  CheckIndex(Index, Count() - 1);
  FItems.erase(FItems.begin() + Index);
  Changed(scDelete, Index);
}

void TStrings::Clear() {
  if (FItems.empty()) {
    if (FSink) FSink(scClear, 0);
    return;
  }
  FItems.clear();
  Changed(scClear, 0);
}

int TStrings::IndexOf(const std::string& S) const {
  for (int i = 0; i < Count(); ++i)
    if (AnsiSameText(FItems[static_cast<size_t>(i)], S)) return i;
  return -1;
}

void TStrings::AddStrings(const TStrings* Strings) {
  if (!Strings) return;
  std::vector<std::string> copy = Strings->FItems;
  for (const std::string& s : copy) Add(s);
}

std::string TStrings::Text() const {
  std::string out;
  for (const std::string& s : FItems) {
    out += s;
    out += "\r\n";
  }
  return out;
}

void TStrings::SetText(const std::string& Value) {
  Clear();
  std::string line;
  for (size_t i = 0; i < Value.size(); ++i) {
    char c = Value[i];
    if (c == '\r' || c == '\n') {
      Add(line);
      line.clear();
      if (c == '\r' && i + 1 < Value.size() && Value[i + 1] == '\n') ++i;
    } else {
      line.push_back(c);
    }
  }
  if (!line.empty()) Add(line);
}

void TStrings::Assign(const TPersistent* Source) {
  if (auto* s = dynamic_cast<const TStrings*>(Source)) {
    if (s == this) return;
    std::vector<std::string> copy = s->FItems;
    Clear();
    for (const std::string& line : copy) Add(line);
    return;
  }
  TPersistent::Assign(Source);
}
