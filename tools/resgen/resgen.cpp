// Writes the agent's icon and its busy animation, so that no binary
// resource has to be kept in the repository.
//   resgen icon FILE.ico     32x32 and 16x16, 32 bits per pixel
//   resgen avi FILE.avi      7 frames of 48x48, RLE8, 125000 us per frame
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& b, uint32_t v) { b.push_back(v & 0xFF); b.push_back((v >> 8) & 0xFF); }
void Put32(Bytes& b, uint32_t v) { Put16(b, v & 0xFFFF); Put16(b, v >> 16); }
void PutTag(Bytes& b, const char* t) { b.insert(b.end(), t, t + 4); }
void Set32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// RIFF chunks nest; each records where its size field is and patches it on close.
struct Chunk {
  Bytes& b;
  size_t size_at;
  Chunk(Bytes& buf, const char* tag, const char* list_type = nullptr) : b(buf) {
    PutTag(b, tag);
    size_at = b.size();
    Put32(b, 0);
    if (list_type) PutTag(b, list_type);
  }
  ~Chunk() {
    Set32(b, size_at, static_cast<uint32_t>(b.size() - size_at - 4));
    if (b.size() & 1) b.push_back(0);
  }
};

void BitmapInfoHeader(Bytes& b, int w, int h, int bits, uint32_t compression, uint32_t image_size, uint32_t colors) {
  Put32(b, 40); Put32(b, w); Put32(b, h); Put16(b, 1); Put16(b, bits);
  Put32(b, compression); Put32(b, image_size); Put32(b, 0); Put32(b, 0); Put32(b, colors); Put32(b, 0);
}

// A broom-green disc with a light sweep across it.
uint32_t IconPixel(int x, int y, int n) {
  double cx = x + 0.5 - n / 2.0, cy = y + 0.5 - n / 2.0, r = std::sqrt(cx * cx + cy * cy);
  if (r > n / 2.0 - 0.5) return 0;
  bool sweep = std::fabs(cx - cy) < n / 8.0;
  uint8_t g = sweep ? 0xF0 : 0x90, rr = sweep ? 0xE0 : 0x20, bb = sweep ? 0xE0 : 0x40;
  return 0xFF000000u | (rr << 16) | (g << 8) | bb;
}

Bytes IconImage(int n) {
  Bytes b;
  int mask_stride = ((n + 31) / 32) * 4;
  BitmapInfoHeader(b, n, 2 * n, 32, 0, n * n * 4 + mask_stride * n, 0);
  for (int y = n - 1; y >= 0; --y)
    for (int x = 0; x < n; ++x) Put32(b, IconPixel(x, y, n));
  for (int y = n - 1; y >= 0; --y) {
    Bytes row(mask_stride, 0);
    for (int x = 0; x < n; ++x)
      if (!(IconPixel(x, y, n) >> 24)) row[x / 8] |= 0x80 >> (x % 8);
    b.insert(b.end(), row.begin(), row.end());
  }
  return b;
}

Bytes Icon() {
  const int sizes[] = {32, 16};
  std::vector<Bytes> images;
  for (int n : sizes) images.push_back(IconImage(n));
  Bytes b;
  Put16(b, 0); Put16(b, 1); Put16(b, 2);
  uint32_t offset = 6 + 16 * 2;
  for (size_t i = 0; i < images.size(); ++i) {
    b.push_back(static_cast<uint8_t>(sizes[i])); b.push_back(static_cast<uint8_t>(sizes[i]));
    b.push_back(0); b.push_back(0); Put16(b, 1); Put16(b, 32);
    Put32(b, static_cast<uint32_t>(images[i].size())); Put32(b, offset);
    offset += static_cast<uint32_t>(images[i].size());
  }
  for (auto& img : images) b.insert(b.end(), img.begin(), img.end());
  return b;
}

constexpr int kSide = 48, kFrames = 7;

// Palette index per pixel: 0 background, 1 ring, 2 the moving highlight.
uint8_t FramePixel(int x, int y, int frame) {
  const double pi = 3.14159265358979323846;
  double cx = x + 0.5 - kSide / 2.0, cy = y + 0.5 - kSide / 2.0, r = std::sqrt(cx * cx + cy * cy);
  if (r < 12 || r > 20) return 0;
  double a = std::atan2(cy, cx) + pi;                    // 0 .. 2 pi
  int sector = static_cast<int>(a / (2 * pi) * kFrames) % kFrames;
  return sector == frame ? 2 : 1;
}

// One RLE8 frame: runs of at most 255, end of line after every row, end of bitmap last.
Bytes RleFrame(int frame) {
  Bytes b;
  for (int y = kSide - 1; y >= 0; --y) {               // bottom-up rows
    int x = 0;
    while (x < kSide) {
      uint8_t v = FramePixel(x, y, frame);
      int run = 1;
      while (x + run < kSide && run < 255 && FramePixel(x + run, y, frame) == v) ++run;
      b.push_back(static_cast<uint8_t>(run)); b.push_back(v);
      x += run;
    }
    b.push_back(0); b.push_back(y == 0 ? 1 : 0);
  }
  return b;
}

Bytes Avi() {
  std::vector<Bytes> frames;
  uint32_t largest = 0;
  for (int f = 0; f < kFrames; ++f) {
    frames.push_back(RleFrame(f));
    if (frames.back().size() > largest) largest = static_cast<uint32_t>(frames.back().size());
  }
  const uint32_t palette[3] = {0x00FFFFFF, 0x00C8C8C8, 0x00208040};
  Bytes b;
  size_t movi_start;
  std::vector<std::pair<uint32_t, uint32_t>> index;    // offset from 'movi', size
  {
    Chunk riff(b, "RIFF", "AVI ");
    {
      Chunk hdrl(b, "LIST", "hdrl");
      {
        Chunk avih(b, "avih");
        Put32(b, 125000); Put32(b, largest * 8); Put32(b, 0); Put32(b, 0x10 /* AVIF_HASINDEX */);
        Put32(b, kFrames); Put32(b, 0); Put32(b, 1); Put32(b, largest);
        Put32(b, kSide); Put32(b, kSide); for (int i = 0; i < 4; ++i) Put32(b, 0);
      }
      {
        Chunk strl(b, "LIST", "strl");
        {
          Chunk strh(b, "strh");
          PutTag(b, "vids"); PutTag(b, "mrle"); Put32(b, 0); Put16(b, 0); Put16(b, 0);
          Put32(b, 0); Put32(b, 125000); Put32(b, 1000000); Put32(b, 0); Put32(b, kFrames);
          Put32(b, largest); Put32(b, 0xFFFFFFFF); Put32(b, 0);
          Put16(b, 0); Put16(b, 0); Put16(b, kSide); Put16(b, kSide);
        }
        {
          Chunk strf(b, "strf");
          BitmapInfoHeader(b, kSide, kSide, 8, 1 /* BI_RLE8 */, kSide * kSide, 3);
          for (uint32_t c : palette) Put32(b, c);
        }
      }
    }
    {
      Chunk movi(b, "LIST", "movi");
      movi_start = movi.size_at + 4;
      for (auto& f : frames) {
        index.push_back({static_cast<uint32_t>(b.size() - movi_start), static_cast<uint32_t>(f.size())});
        Chunk dc(b, "00dc");
        b.insert(b.end(), f.begin(), f.end());
      }
    }
    {
      Chunk idx1(b, "idx1");
      for (auto& e : index) { PutTag(b, "00dc"); Put32(b, 0x10 /* AVIIF_KEYFRAME */); Put32(b, e.first); Put32(b, e.second); }
    }
  }
  return b;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || (std::strcmp(argv[1], "icon") && std::strcmp(argv[1], "avi"))) {
    std::fprintf(stderr, "usage: resgen icon|avi FILE\n");
    return 2;
  }
  Bytes data = std::strcmp(argv[1], "icon") == 0 ? Icon() : Avi();
  FILE* f = std::fopen(argv[2], "wb");
  if (!f || std::fwrite(data.data(), 1, data.size(), f) != data.size() || std::fclose(f) != 0) {
    std::perror(argv[2]);
    return 1;
  }
  return 0;
}
