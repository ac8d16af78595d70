// TStrings: the list of text lines that list boxes, combo boxes and the file
// controls hold as their Items. Text is windows-1250. A control that shows
// the lines is told of every change through its change sink, so the list
// itself stays the one true copy even while the control has no window.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/toolkit/Persistent.h"

class TStrings : public TPersistent {
 public:
  enum TChange { scInsert, scDelete, scPut, scClear };
  using TChangeSink = std::function<void(TChange Change, int Index)>;

  TStrings() = default;
  TStrings(const TStrings&) = delete;
  TStrings& operator=(const TStrings&) = delete;

  int Count() const { return static_cast<int>(FItems.size()); }
  // The line at Index; "List index out of bounds (%d)" outside 0..Count-1.
  const std::string& Strings(int Index) const;
  const std::string& operator[](int Index) const { return Strings(Index); }
  void SetStrings(int Index, const std::string& S);
  int Add(const std::string& S);
  void Insert(int Index, const std::string& S);
  void Delete(int Index);
  void Clear();
  // The first line equal to S under the code page's case rules, or -1.
  int IndexOf(const std::string& S) const;
  void AddStrings(const TStrings* Strings);
  // The lines joined, each ended by CR LF; setting splits at CR, LF or CR LF.
  std::string Text() const;
  void SetText(const std::string& Value);
  void Assign(const TPersistent* Source) override;

  TNotifyEvent OnChange;
  // Set by the control that shows the lines.
  void SetChangeSink(TChangeSink Sink) { FSink = std::move(Sink); }

 private:
  void CheckIndex(int Index, int Limit) const;
  void Changed(TChange Change, int Index);

  std::vector<std::string> FItems;
  TChangeSink FSink;
};
