#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/SysUtils.h"

TEST(MemoryStream, WritesReadsAndSeeks) {
  TMemoryStream s;
  const char text[] = "abcdef";
  s.WriteBuffer(text, 6);
  EXPECT_EQ(s.Size(), 6);
  s.Seek(2, soFromBeginning);
  char buf[3] = {};
  s.ReadBuffer(buf, 2);
  EXPECT_EQ(std::string(buf, 2), "cd");
  s.Seek(-1, soFromEnd);
  EXPECT_EQ(s.Read(buf, 3), 1);
  EXPECT_EQ(buf[0], 'f');
  EXPECT_THROW(s.ReadBuffer(buf, 1), EReadError);
}

TEST(FileStream, OpenFailuresCarryTheRuntimeTexts) {
  try {
    TFileStream f("/nonexistent-dir/x.bin", fmOpenRead);
    FAIL();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message(), "Cannot open file \"/nonexistent-dir/x.bin\". " + SysErrorMessage(ENOENT));
  }
  EXPECT_THROW(TFileStream("/nonexistent-dir/x.bin", fmCreate), EFCreateError);
}

TEST(FileStream, RoundTripsThroughMemoryStream) {
  auto path = (std::filesystem::temp_directory_path() / "brask_stream_test.bin").string();
  TMemoryStream out;
  for (int i = 0; i < 1000; ++i) {
    std::uint8_t b = static_cast<std::uint8_t>(i * 7);
    out.WriteBuffer(&b, 1);
  }
  out.SaveToFile(path);
  TMemoryStream in;
  in.LoadFromFile(path);
  EXPECT_EQ(in.Bytes(), out.Bytes());
  std::remove(path.c_str());
}

TEST(InOutError, Texts) {
  EXPECT_EQ(EInOutError(2).Message(), "File not found");
  EXPECT_EQ(EInOutError(5).Message(), "File access denied");
  EXPECT_EQ(EInOutError(100).Message(), "Read beyond end of file");
  EXPECT_EQ(EInOutError(103).Message(), "I/O error 103");
  EXPECT_EQ(Format("Image '%s' not found", std::string("tile")), "Image 'tile' not found");
}
