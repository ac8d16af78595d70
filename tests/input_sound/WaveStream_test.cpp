#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "input_sound/WaveStream.h"
#include "tests/input_sound/WaveTestFiles.h"

namespace {

using namespace WaveTestFiles;

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const EWaveStreamError& e) { return e.Message(); }
  return "";
}

class WaveStreamFixture : public ::testing::Test {
 protected:
  const Bytes fmt = PcmFormat(1, 11025, 8, false);
  const Bytes data = Samples(20);
  const Bytes file = Riff({Chunk("fmt ", fmt), Chunk("data", data)});
  TBytesStream base{file.data(), static_cast<std::int64_t>(file.size())};
};

TEST_F(WaveStreamFixture, ReadsTheHeaderAndKeepsThePositionInsideTheData) {
  TWaveStream s(base);
  EXPECT_EQ(s.GetDataSize(), 0);  // not opened
  s.Open(false);
  EXPECT_EQ(s.GetFormatSize(), 16);
  EXPECT_EQ(std::memcmp(s.GetFormat(), fmt.data(), 16), 0);
  EXPECT_EQ(s.GetDataSize(), 20);
  EXPECT_EQ(s.Size(), 20);

  struct SeekCase {
    std::int64_t offset;
    int origin;
    std::int64_t result;
  } seeks[] = {
      {-10, soFromBeginning, 0},
      {7, soFromBeginning, 7},
      {3, soFromCurrent, 10},
      {-20, soFromCurrent, 0},
      {5, soFromEnd, 20},
      {-3, soFromEnd, 17},
      {4, 9, 17},
      {25, soFromBeginning, 20},
  };
  for (const SeekCase& c : seeks) EXPECT_EQ(s.Seek(c.offset, c.origin), c.result) << c.offset << " " << c.origin;

  // A read from inside the data gives only what remains.
  s.Seek(15, soFromBeginning);
  std::uint8_t buf[16] = {};
  EXPECT_EQ(s.Read(buf, 16), 5);
  EXPECT_EQ(std::memcmp(buf, data.data() + 15, 5), 0);
  EXPECT_EQ(s.Position(), 20);
  EXPECT_EQ(s.Read(buf, 16), 0);
  s.SetSize(1000);  // ignored
  EXPECT_EQ(s.Size(), 20);
}

TEST_F(WaveStreamFixture, OpeningErrors) {
  TWaveStream unopened(base);
  std::uint8_t b[4];
  EXPECT_EQ(ErrorOf([&] { unopened.ReadSamples(b, 4); }), "Stream not opend");
  EXPECT_EQ(ErrorOf([&] { unopened.WriteSamples(b, 4); }), "Stream not opend");

  TWaveStream s(base);
  s.Open(false);
  EXPECT_EQ(ErrorOf([&] { s.Open(false); }), "Stream has already been opened");
  EXPECT_EQ(ErrorOf([&] { s.Open(true); }), "Stream has already been opened");
  // Still as opened the first time.
  EXPECT_EQ(s.GetDataSize(), 20);
  EXPECT_EQ(s.Read(b, 4), 4);
  EXPECT_EQ(std::memcmp(b, data.data(), 4), 0);

  TMemoryStream out;
  TWaveStream w(out);
  EXPECT_EQ(ErrorOf([&] { w.Open(true); }), "Format is invalid");
  EXPECT_EQ(out.Size(), 0);
}

TEST_F(WaveStreamFixture, WritesAFileThatGrowsWithItsSamples) {
  TMemoryStream out;
  {
    TWaveStream w(out);
    w.SetFormatSize(16);
    std::memcpy(w.GetFormat(), fmt.data(), 16);
    w.Open(true);
    EXPECT_EQ(w.GetDataSize(), 0);
    w.WriteBuffer(data.data(), 12);
    EXPECT_EQ(w.GetDataSize(), 12);
    // Writing past the end starts at the end.
    w.Seek(100, soFromBeginning);
    EXPECT_EQ(w.Position(), 12);
    w.WriteBuffer(data.data() + 12, 8);
    // Going back and overwriting does not grow the data.
    w.Seek(0, soFromBeginning);
    w.WriteBuffer(data.data(), 4);
    EXPECT_EQ(w.GetDataSize(), 20);
  }
  EXPECT_EQ(out.Bytes(), file);
  EXPECT_EQ(out.Position(), static_cast<std::int64_t>(file.size()));
}

TEST_F(WaveStreamFixture, WritingIntoAReadStreamStaysInsideTheData) {
  TMemoryStream m;
  m.WriteBuffer(file.data(), static_cast<std::int64_t>(file.size()));
  m.SetPosition(0);
  TWaveStream s(m);
  s.Open(false);
  s.Seek(18, soFromBeginning);
  const std::uint8_t b[4] = {1, 2, 3, 4};
  EXPECT_EQ(s.Write(b, 4), 2);
  EXPECT_EQ(m.Size(), static_cast<std::int64_t>(file.size()));
  EXPECT_EQ(m.Bytes()[file.size() - 2], 1);
  EXPECT_EQ(m.Bytes()[file.size() - 1], 2);
}

TEST_F(WaveStreamFixture, TheFileMayStartInsideTheBaseStream) {
  TMemoryStream m;
  const Bytes prefix(9, 0xAB);
  m.WriteBuffer(prefix.data(), 9);
  m.WriteBuffer(file.data(), static_cast<std::int64_t>(file.size()));
  m.SetPosition(9);
  TWaveStream s(m);
  s.Open(false);
  Bytes got(20);
  s.ReadBuffer(got.data(), 20);
  EXPECT_EQ(got, data);
}

// A stream that cannot tell its data size: reads go to ReadSamples unclipped.
class EndlessWaveStream : public TCustomWaveStream2 {
 public:
  std::int32_t ReadSamples(void* Buffer, std::int32_t Count) override {
    std::memset(Buffer, 0x33, static_cast<std::size_t>(Count));
    return Count;
  }
};

TEST(CustomWaveStream, WithoutADataSize) {
  EndlessWaveStream s;
  EXPECT_EQ(s.GetDataSize(), -1);
  std::uint8_t buf[64];
  EXPECT_EQ(s.Read(buf, 64), 64);
  EXPECT_EQ(s.Position(), 64);
  EXPECT_EQ(s.Seek(-100, soFromCurrent), 0);
  EXPECT_EQ(s.Write(buf, 4), 0);
  s.SetFormatSize(4);
  static_cast<std::uint8_t*>(s.GetFormat())[3] = 9;
  s.SetFormatSize(6);  // kept up to the shorter length
  EXPECT_EQ(static_cast<std::uint8_t*>(s.GetFormat())[3], 9);
  EXPECT_EQ(s.GetFormatSize(), 6);
  s.SetFormatSize(0);
  EXPECT_EQ(s.GetFormat(), nullptr);
}

}  // namespace
