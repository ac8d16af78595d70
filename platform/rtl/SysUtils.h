// The runtime's utility routines: integer text conversions and file renaming
// and deletion. File names are windows-1250 and go through HostFileName.
#pragma once

#include <cstdint>
#include <string>

// A decimal integer: an optional "+" or "-" and at least one digit, nothing
// else (no spaces), within the 32-bit signed range. False (Value untouched)
// otherwise.
bool TryStrToInt(const std::string& S, std::int32_t& Value);
// As TryStrToInt; raises EConvertError "'%s' is not a valid integer value".
std::int32_t StrToInt(const std::string& S);
std::string IntToStr(std::int64_t Value);

// Gives the file OldName the name NewName; an existing file NewName is
// replaced in one step, so a reader sees either the old or the new file.
bool RenameFile(const std::string& OldName, const std::string& NewName);
// Deletes an ordinary file; false when there is none or it cannot go.
bool DeleteFile(const std::string& FileName);

// The system's text for an errno value.
std::string SysErrorMessage(int ErrorCode);
