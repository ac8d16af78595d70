#include "assets/generator/Stored.h"

#include <cstring>
#include <memory>

#include "assets/generator/Bytes.h"
#include "assets/generator/Sounds.h"
#include "display/DIB.h"
#include "display/DXImageList.h"
#include "input_sound/WaveList.h"
#include "platform/rtl/Cp1250.h"
#include "platform/rtl/Streams.h"
#include "platform/toolkit/Filer.h"
#include "platform/toolkit/Graphics.h"

namespace {

std::vector<std::uint8_t> StreamBytes(TMemoryStream& S) {
  const auto* p = static_cast<const std::uint8_t*>(S.Memory());
  return std::vector<std::uint8_t>(p, p + S.Size());
}

std::unique_ptr<TDIB> ToDIB(const TPixelPicture& P) {
  auto dib = std::make_unique<TDIB>();
  dib->SetSize(P.Width, P.Height, 24);
  dib->Bits();
  for (int y = 0; y < P.Height; ++y) {
    BYTE* row = dib->TopBits() + static_cast<std::ptrdiff_t>(y) * dib->NextLine();
    for (int x = 0; x < P.Width; ++x) {
      const std::uint8_t* c = P.At(x, y);
      row[x * 3] = c[2];
      row[x * 3 + 1] = c[1];
      row[x * 3 + 2] = c[0];
    }
  }
  return dib;
}

}  // namespace

std::vector<std::uint8_t> BitmapFile(const TPixelPicture& P) {
  const std::uint32_t rowBytes = static_cast<std::uint32_t>((P.Width * 3 + 3) & ~3);
  const std::uint32_t pixels = rowBytes * static_cast<std::uint32_t>(P.Height);
  std::vector<std::uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  PutLe32(out, 14 + 40 + pixels);
  PutLe32(out, 0);
  PutLe32(out, 14 + 40);
  PutLe32(out, 40);
  PutLe32(out, static_cast<std::uint32_t>(P.Width));
  PutLe32(out, static_cast<std::uint32_t>(P.Height));
  PutLe16(out, 1);
  PutLe16(out, 24);
  PutLe32(out, 0);  // BI_RGB
  PutLe32(out, pixels);
  PutLe32(out, 2835);
  PutLe32(out, 2835);
  PutLe32(out, 0);
  PutLe32(out, 0);
  for (int y = P.Height - 1; y >= 0; --y) {
    for (int x = 0; x < P.Width; ++x) {
      const std::uint8_t* c = P.At(x, y);
      out.push_back(c[2]);
      out.push_back(c[1]);
      out.push_back(c[0]);
    }
    for (std::uint32_t pad = static_cast<std::uint32_t>(P.Width * 3); pad < rowBytes; ++pad) out.push_back(0);
  }
  return out;
}

std::vector<std::uint8_t> ImageListStream(const std::string& ComponentName,
                                          const std::vector<TNamedPicture>& Pictures) {
  TDXImageList list(nullptr);
  for (const TNamedPicture& p : Pictures) {
    TPictureCollectionItem* item = list.Items()->Add();
    item->SetName(p.Name);
    std::unique_ptr<TDIB> dib = ToDIB(p.Picture);
    item->SetPicture(dib.get());
    item->SetTransparent(true);
    item->SetTransparentColor(clFuchsia);
  }
  TMemoryStream stream;
  TWriter writer(&stream);
  writer.WriteRootObject(&list, "TDXImageList", ComponentName);
  return StreamBytes(stream);
}

std::vector<std::uint8_t> WaveListStream(const std::string& ComponentName) {
  TDXWaveList list(nullptr);
  for (std::size_t i = 0; i < StoredWaves().size(); ++i) {
    auto* item = static_cast<TWaveCollectionItem*>(list.Items()->Add());
    item->SetName(StoredWaves()[i].Name);
    std::vector<std::uint8_t> riff = SynthesizeWave(i);
    TMemoryStream file;
    file.WriteBuffer(riff.data(), static_cast<std::int64_t>(riff.size()));
    file.SetPosition(0);
    item->Wave()->LoadFromStream(file);
  }
  TMemoryStream stream;
  TWriter writer(&stream);
  writer.WriteRootObject(&list, "TDXWaveList", ComponentName);
  return StreamBytes(stream);
}

std::vector<TNamedPicture> StoredPictures(const std::string& Key) {
  if (Key == "Sandreth.DXImageList1" || Key == "Korvel.DXImageList4") return TerrainPictures();
  if (Key == "Sandreth.DXImageList2") return EditorMarkerPictures();
  if (Key == "Korvel.DXImageList1") return GameInterfacePictures();
  // The editor keeps its type pictures under the lower-cased names; the scout
  // exists in the game only.
  std::vector<TNamedPicture> pictures;
  if (Key == "Sandreth.DXImageList3") pictures = UnitPictures();
  if (Key == "Sandreth.DXImageList4") pictures = BuildingPictures();
  std::vector<TNamedPicture> out;
  for (TNamedPicture& p : pictures) {
    if (p.Name == Cp("Zwiadowca")) continue;
    out.push_back({AnsiLowerCase(p.Name), p.Picture});
  }
  return out;
}

std::vector<TStoredBlob> StoredBlobs() {
  std::vector<TStoredBlob> blobs;
  for (const char* key : {"Sandreth.DXImageList1", "Sandreth.DXImageList2", "Sandreth.DXImageList3",
                          "Sandreth.DXImageList4", "Korvel.DXImageList1", "Korvel.DXImageList4"}) {
    std::string k = key;
    blobs.push_back({k, ImageListStream(k.substr(k.find('.') + 1), StoredPictures(k))});
  }
  blobs.push_back({"Korvel.DXWaveList1", WaveListStream("DXWaveList1")});
  for (TNamedPicture& g : EditorGlyphs()) blobs.push_back({"Sandreth.Glyph." + g.Name, BitmapFile(g.Picture)});
  for (TNamedPicture& g : GameGlyphs()) blobs.push_back({"Korvel.Glyph." + g.Name, BitmapFile(g.Picture)});
  return blobs;
}

std::string StoredSource(const std::vector<TStoredBlob>& Blobs) {
  static const char hex[] = "0123456789abcdef";
  std::string out;
  out += "// Generated by brask_assetgen: the programs' stored component data.\n";
  out += "#include <cstring>\n\n#include \"assets/stored/StoredData.h\"\n\nnamespace {\n";
  for (std::size_t b = 0; b < Blobs.size(); ++b) {
    const std::vector<std::uint8_t>& bytes = Blobs[b].Bytes;
    out += "const char kBlob" + std::to_string(b) + "[] =\n";
    for (std::size_t i = 0; i < bytes.size(); i += 64) {
      out += "    \"";
      for (std::size_t j = i; j < i + 64 && j < bytes.size(); ++j) {
        out += "\\x";
        out += hex[bytes[j] >> 4];
        out += hex[bytes[j] & 15];
      }
      out += "\"\n";
    }
    if (bytes.empty()) out += "    \"\"\n";
    out += ";\n";
  }
  out += "struct TEntry {\n  const char* Key;\n  const char* Data;\n  std::size_t Size;\n};\n";
  out += "const TEntry kEntries[] = {\n";
  for (std::size_t b = 0; b < Blobs.size(); ++b)
    out += "    {\"" + Blobs[b].Key + "\", kBlob" + std::to_string(b) + ", " + std::to_string(Blobs[b].Bytes.size()) +
           "},\n";
  out += "};\n}  // namespace\n\n";
  out += "TStoredData StoredComponentData(std::string_view Key) {\n";
  out += "  for (const TEntry& e : kEntries)\n";
  out += "    if (Key == e.Key) return TStoredData{reinterpret_cast<const std::uint8_t*>(e.Data), e.Size};\n";
  out += "  return TStoredData{};\n}\n\n";
  out += "std::vector<std::string> StoredComponentKeys() {\n  std::vector<std::string> keys;\n";
  out += "  for (const TEntry& e : kEntries) keys.push_back(e.Key);\n  return keys;\n}\n";
  return out;
}
