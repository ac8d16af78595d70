// Writing a whole file over an existing one without harming it: the new
// contents go to a temporary file beside the target, which then takes the
// target's place in one step, so that a failure at any point leaves the old
// file as it was. What the user set up stays as set: a symbolic link stays a
// link and the file it names gets the new contents; permission bits, owner,
// group and extended attributes (access control lists among them) are the
// target's; a file the user may not write is refused. The temporary file's
// name fits the folder's limit however long the target's name is. Where no
// temporary file can take the target's place (a folder the user may not write
// in, a file with other hard links, an owner or an attribute the temporary
// file cannot be given, a file mounted over the name, a device) the file is
// written where it stands, as a plain rewrite would, after the space for it
// is reserved; should that write still fail, the old contents are put back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Makes Data (Size bytes) the whole content of FileName (windows-1250, "\"
// separators allowed), creating the file when there is none. Failures raise
// EInOutError with the runtime's text for the system's reason ("File access
// denied", "File not found", "Disk full", ...); no temporary file is left.
void ReplaceFileContents(const std::string& FileName, const std::uint8_t* Data, std::size_t Size);
