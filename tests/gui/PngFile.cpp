#include "PngFile.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>

namespace halvern::test {

namespace {

uint32_t Crc32(const uint8_t* Data, size_t Size, uint32_t Crc = 0) {
  static const std::array<uint32_t, 256> Table = [] {
    std::array<uint32_t, 256> T{};
    for (uint32_t N = 0; N < 256; ++N) {
      uint32_t C = N;
      for (int K = 0; K < 8; ++K) C = (C & 1) ? 0xEDB88320u ^ (C >> 1) : C >> 1;
      T[N] = C;
    }
    return T;
  }();
  Crc = ~Crc;
  for (size_t I = 0; I < Size; ++I) Crc = Table[(Crc ^ Data[I]) & 0xFF] ^ (Crc >> 8);
  return ~Crc;
}

void PutBE32(std::vector<uint8_t>& Out, uint32_t V) {
  for (int Shift = 24; Shift >= 0; Shift -= 8) Out.push_back(static_cast<uint8_t>(V >> Shift));
}

void Chunk(std::vector<uint8_t>& Out, const char* Type, const std::vector<uint8_t>& Data) {
  PutBE32(Out, static_cast<uint32_t>(Data.size()));
  std::vector<uint8_t> Body(Type, Type + 4);
  Body.insert(Body.end(), Data.begin(), Data.end());
  Out.insert(Out.end(), Body.begin(), Body.end());
  PutBE32(Out, Crc32(Body.data(), Body.size()));
}

// A zlib stream of stored blocks.
std::vector<uint8_t> ZlibStored(const std::vector<uint8_t>& Raw) {
  std::vector<uint8_t> Z = {0x78, 0x01};
  size_t Pos = 0;
  do {
    const size_t Len = std::min<size_t>(65535, Raw.size() - Pos);
    const bool Last = Pos + Len == Raw.size();
    Z.push_back(Last ? 1 : 0);
    Z.push_back(static_cast<uint8_t>(Len));
    Z.push_back(static_cast<uint8_t>(Len >> 8));
    Z.push_back(static_cast<uint8_t>(~Len));
    Z.push_back(static_cast<uint8_t>(~Len >> 8));
    Z.insert(Z.end(), Raw.begin() + static_cast<ptrdiff_t>(Pos),
             Raw.begin() + static_cast<ptrdiff_t>(Pos + Len));
    Pos += Len;
  } while (Pos < Raw.size());
  uint32_t A = 1, B = 0;
  for (uint8_t Byte : Raw) {
    A = (A + Byte) % 65521;
    B = (B + A) % 65521;
  }
  PutBE32(Z, (B << 16) | A);
  return Z;
}

}  // namespace

bool WritePng(const std::string& Path, int Width, int Height, const std::vector<uint8_t>& Rgb) {
  if (Width <= 0 || Height <= 0 || Rgb.size() < static_cast<size_t>(Width) * static_cast<size_t>(Height) * 3)
    return false;
  std::vector<uint8_t> Raw;
  const size_t Row = static_cast<size_t>(Width) * 3;
  for (int Y = 0; Y < Height; ++Y) {
    Raw.push_back(0);  // no filter
    const auto* Begin = Rgb.data() + static_cast<size_t>(Y) * Row;
    Raw.insert(Raw.end(), Begin, Begin + Row);
  }
  std::vector<uint8_t> Out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  std::vector<uint8_t> Header;
  PutBE32(Header, static_cast<uint32_t>(Width));
  PutBE32(Header, static_cast<uint32_t>(Height));
  Header.insert(Header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, no interlace
  Chunk(Out, "IHDR", Header);
  Chunk(Out, "IDAT", ZlibStored(Raw));
  Chunk(Out, "IEND", {});

  std::unique_ptr<FILE, int (*)(FILE*)> File(std::fopen(Path.c_str(), "wb"), &std::fclose);
  return File && std::fwrite(Out.data(), 1, Out.size(), File.get()) == Out.size();
}

}  // namespace halvern::test
