// Files and folders as the programs name them: windows-1250 text with "\" as
// the folder separator. The host sees UTF-8 names with "/".
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The host's name for a program file name: windows-1250 to UTF-8, "\" to "/".
// The programs were written for a file system that ignores case; here it
// counts. So when the name as written does not exist, each path component
// that is not found is looked up in its folder ignoring case (under the code
// page's rules, so "Łucznik.BMP" finds "łucznik.bmp"). A component with no
// such entry, or with more than one, ends the lookup: the rest of the name
// stays as written (a new file is created under exactly that name; an open
// fails with its ordinary "not found").
std::string HostFileName(std::string_view FileName);
// The same conversion without any lookup.
std::string LiteralHostFileName(std::string_view FileName);

// The name part of a path: what follows the last "\", "/" or ":".
std::string ExtractFileName(std::string_view FileName);
// The extension of a path's name part, from its last "." (dot included);
// empty when the name has no dot.
std::string ExtractFileExt(std::string_view FileName);

// The runtime's I/O error code for a host errno value: ENOENT 2, ENOTDIR 3,
// EACCES/EPERM/EISDIR/EROFS 5, ENOSPC 101, anything else the errno value.
int IoErrorFromErrno(int Errno);

// The current directory as an absolute path in windows-1250 (host separators).
std::string GetCurrentDir();
// Makes Dir the current directory; false when that fails.
bool SetCurrentDir(std::string_view Dir);
// Makes Dir the current directory, as the runtime's ChDir does: 0 when it
// did, else the runtime's I/O error code for the actual failure (3 "Path not
// found" for a folder that does not exist, 5 "File access denied" for one
// that may not be entered or searched).
int ChangeCurrentDir(std::string_view Dir);
bool FileExists(std::string_view FileName);
bool DirectoryExists(std::string_view Dir);

// Whether Name matches Mask: "*" stands for any run of characters, "?" for one;
// letters compare without regard to case.
bool MatchesMask(std::string_view Name, std::string_view Mask);

// Bare names of the ordinary files in Dir that match Mask, sorted by name
// (case-insensitive, ties byte-wise). Names the code page cannot spell are left
// out, since they could not be opened by their 8-bit name. A missing folder
// gives an empty list.
std::vector<std::string> ListFiles(std::string_view Dir, std::string_view Mask = "*");
// Bare names of the sub-folders of Dir, sorted the same way ("." and ".." not listed).
std::vector<std::string> ListDirectories(std::string_view Dir);
