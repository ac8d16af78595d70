#include <gtest/gtest.h>

#include <string>

#include "world/Records.h"
#include "world/ShortString.h"

TEST(ShortString, AssignKeepsTheFirst100CharactersAndTheBytesBehind) {
  TShortString s;
  s.Assign(std::string(150, 'x'));
  EXPECT_EQ(s.Len, 100);
  EXPECT_EQ(s.Text(), std::string(100, 'x'));
  s.Assign("abc");
  EXPECT_EQ(s.Len, 3);
  EXPECT_EQ(s.Text(), "abc");
  // What lay behind the new length is carried along.
  EXPECT_EQ(s.Chars[3], 'x');
  EXPECT_EQ(s.Chars[99], 'x');
  s.Clear();
  EXPECT_TRUE(s.Empty());
  EXPECT_EQ(s.Chars[0], 'a');
  s.Assign("");
  EXPECT_TRUE(s.Empty());
}

TEST(ShortString, LengthByteAbove100NeverReadsPastTheField) {
  std::uint8_t bytes[101 + 16];
  for (auto& b : bytes) b = '!';
  bytes[0] = 255;
  for (int i = 1; i <= 100; ++i) bytes[i] = static_cast<std::uint8_t>('a' + i % 26);
  TShortString s;
  s.Deserialize(bytes);
  EXPECT_EQ(s.Len, 255);  // kept as read
  EXPECT_EQ(s.Size(), 100u);
  std::string text = s.Text();
  ASSERT_EQ(text.size(), 100u);
  EXPECT_EQ(text.find('!'), std::string::npos);
  std::uint8_t out[101];
  s.Serialize(out);
  EXPECT_EQ(out[0], 255);
  // It stands for its 100 characters.
  TShortString cut = TShortString::From(text);
  EXPECT_TRUE(s == cut);
  EXPECT_FALSE(s.Empty());
}

TEST(ShortString, EqualityIsLengthAndBytes) {
  TShortString a = TShortString::From("Piechur"), b = TShortString::From("Piechur");
  b.Chars[50] = 0x7F;  // behind the length: not significant
  EXPECT_TRUE(a == b);
  EXPECT_FALSE(a == TShortString::From("piechur"));  // case-sensitive
  EXPECT_FALSE(a == TShortString::From("Piechu"));
  EXPECT_FALSE(a == TShortString::From("Piechur "));
  EXPECT_TRUE(TShortString() == TShortString::From(""));
  EXPECT_TRUE(a.Equals("Piechur"));
  EXPECT_FALSE(a.Equals("Piechur2"));
}

TEST(ShortString, EmptyNameMakesASlotFreeWhateverElseItHolds) {
  TUnit u;
  u.HP = 100;
  u.Number = 4;
  u.Name = TShortString::From("rycerz");
  EXPECT_FALSE(u.Free());
  u.Name.Clear();
  EXPECT_TRUE(u.Free());
  TBuilding b;
  b.X = 5;
  b.Name.Chars.fill('z');
  EXPECT_TRUE(b.Free());
}
