// A typed file: a file read and written in whole records of one fixed size.
// Every failing step raises EInOutError with the runtime's code and text
// ("File not found", "File access denied", "Read beyond end of file", ...).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// I/O error code for an operation on a file that is not open.
constexpr int ioFileNotOpen = 103;

class TRecordFile {
 public:
  explicit TRecordFile(std::size_t RecordSize) : FRecordSize(RecordSize) {}
  ~TRecordFile();
  TRecordFile(const TRecordFile&) = delete;
  TRecordFile& operator=(const TRecordFile&) = delete;

  // Binds the handle to a file name (windows-1250, "\" separators allowed).
  void Assign(const std::string& FileName);
  // Opens the bound file read-only at its first record.
  void Reset();
  // Creates the bound file, or empties it when it exists, for writing.
  void Rewrite();
  // Reads the next record into Record (RecordSize bytes). A file that ends
  // before the record is complete raises "Read beyond end of file".
  void Read(std::uint8_t* Record);
  // Writes Record (RecordSize bytes) at the current position.
  void Write(const std::uint8_t* Record);
  // Makes the system put what was written on the disk before it returns.
  void Flush();
  void Close();

  bool IsOpen() const { return FHandle >= 0; }
  std::size_t RecordSize() const { return FRecordSize; }
  const std::string& FileName() const { return FFileName; }

 private:
  std::size_t FRecordSize;
  std::string FFileName;
  int FHandle = -1;
};

// Reads the first record of FileName into Record: Assign, Reset, Read, Close.
void ReadRecordFile(const std::string& FileName, std::uint8_t* Record, std::size_t RecordSize);
// Writes Record as the whole content of FileName: Assign, Rewrite, Write, Close.
void WriteRecordFile(const std::string& FileName, const std::uint8_t* Record, std::size_t RecordSize);
