// wavgen: writes stereo WAV files for the example, the benchmark and the fuzzer's seeds.
//   wavgen tones OUT [SECONDS] [RATE] [BITS]  a two-tone signal: 440 Hz left, 660 Hz right
//   wavgen noise OUT MIB [BITS]               MIB mebibytes of varied samples, written in blocks
//   wavgen seeds DIR                          small files of many layouts, whole and broken
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <string>
#include <vector>

#include "wav/codec.h"

namespace {

using Bytes = std::vector<unsigned char>;

void put16(Bytes& out, std::uint16_t value) {
  unsigned char field[2];
  tessmar::Decon2(value, field);
  out.insert(out.end(), field, field + 2);
}

void put32(Bytes& out, std::uint32_t value) {
  unsigned char field[4];
  tessmar::Decon4(value, field);
  out.insert(out.end(), field, field + 4);
}

void put_id(Bytes& out, const char* id) { out.insert(out.end(), id, id + 4); }

void put_chunk(Bytes& out, const char* id, const Bytes& body) {
  put_id(out, id);
  put32(out, static_cast<std::uint32_t>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
  if (body.size() % 2 == 1) {
    out.push_back(0);
  }
}

Bytes fmt_body(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits, bool extensible) {
  Bytes body;
  const auto align = static_cast<std::uint16_t>(channels * bits / 8);
  put16(body, extensible ? 0xFFFE : 1);
  put16(body, channels);
  put32(body, rate);
  put32(body, rate * align);
  put16(body, align);
  put16(body, bits);
  if (extensible) {
    put16(body, 22);
    put16(body, bits);
    put32(body, 3);  // front left, front right
    const unsigned char pcm_guid[16] = {1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    body.insert(body.end(), pcm_guid, pcm_guid + 16);
  }
  return body;
}

// RIFF header, the chunks before the data chunk, and the data chunk's header stating data_size.
Bytes head(const Bytes& before, std::uint32_t data_size, std::uint32_t riff_size) {
  Bytes out;
  put_id(out, "RIFF");
  put32(out, riff_size);
  put_id(out, "WAVE");
  out.insert(out.end(), before.begin(), before.end());
  put_id(out, "data");
  put32(out, data_size);
  return out;
}

void write_file(const std::string& name, const Bytes& bytes) {
  std::FILE* file = std::fopen(name.c_str(), "wb");
  if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || std::fclose(file) != 0) {
    std::printf("wavgen: cannot write %s\n", name.c_str());
    std::exit(1);
  }
}

void put_sample(Bytes& out, std::int32_t value, std::uint16_t bits) {
  for (int i = 0; i < bits / 8; ++i) {
    out.push_back(static_cast<unsigned char>((static_cast<std::uint32_t>(value) >> (8 * i)) & 0xFFU));
  }
}

Bytes tones(double seconds, std::uint32_t rate, std::uint16_t bits) {
  const auto frames = static_cast<std::uint32_t>(seconds * rate);
  const double peak = std::ldexp(0.5, bits - 1);
  Bytes samples;
  for (std::uint32_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / rate;
    put_sample(samples, static_cast<std::int32_t>(peak * std::sin(2 * std::numbers::pi * 440 * t)), bits);
    put_sample(samples, static_cast<std::int32_t>(peak * std::sin(2 * std::numbers::pi * 660 * t)), bits);
  }
  return samples;
}

Bytes wav(const Bytes& before, const Bytes& samples, const Bytes& after = {}) {
  const auto size = static_cast<std::uint32_t>(samples.size());
  Bytes out = head(before, size, static_cast<std::uint32_t>(4 + before.size() + 8 + size + size % 2 + after.size()));
  out.insert(out.end(), samples.begin(), samples.end());
  if (size % 2 == 1) {
    out.push_back(0);
  }
  out.insert(out.end(), after.begin(), after.end());
  return out;
}

void seeds(const std::string& dir) {
  Bytes fmt16;
  put_chunk(fmt16, "fmt ", fmt_body(2, 44100, 16, false));
  Bytes fmt24x;
  put_chunk(fmt24x, "fmt ", fmt_body(2, 48000, 24, true));
  Bytes list;
  put_chunk(list, "LIST", Bytes{'I', 'N', 'F', 'O', 'I', 'S', 'F', 'T', 5, 0, 0, 0, 'd', 'a', 't', 'a', 0});
  Bytes before = list;
  before.insert(before.end(), fmt16.begin(), fmt16.end());
  const Bytes samples16 = tones(0.01, 8000, 16);
  const Bytes samples24 = tones(0.01, 8000, 24);
  write_file(dir + "/canonical.wav", wav(fmt16, samples16));
  write_file(dir + "/extensible.wav", wav(fmt24x, samples24));
  write_file(dir + "/meta-before.wav", wav(before, samples16));
  write_file(dir + "/meta-after.wav", wav(fmt16, samples16, list));
  // Metadata that pushes both chunks to the edge of the window in which they are looked for.
  Bytes far;
  put_chunk(far, "LIST", Bytes(14930, 'i'));
  far.insert(far.end(), fmt16.begin(), fmt16.end());
  write_file(dir + "/meta-far.wav", wav(far, samples16));
  // A 64-bit file: its data size stands in the ds64 chunk, and metadata follows the samples.
  Bytes sizes;
  for (const std::uint32_t word : {0U, 0U, static_cast<std::uint32_t>(samples16.size()), 0U, 0U, 0U, 0U}) {
    put32(sizes, word);  // RIFF size, data size, sample count (64 bits each), table length
  }
  Bytes wide_before;
  put_chunk(wide_before, "ds64", sizes);
  wide_before.insert(wide_before.end(), fmt16.begin(), fmt16.end());
  Bytes wide = head(wide_before, 0xFFFFFFFF, 0xFFFFFFFF);
  std::copy_n("RF64", 4, wide.begin());
  wide.insert(wide.end(), samples16.begin(), samples16.end());
  wide.insert(wide.end(), list.begin(), list.end());
  write_file(dir + "/rf64.wav", wide);
  // An ID3v1 tag behind the last chunk, as taggers append it.
  Bytes tagged = wav(fmt16, samples16, list);
  tagged.insert(tagged.end(), {'T', 'A', 'G'});
  tagged.resize(tagged.size() + 125);
  write_file(dir + "/tagged.wav", tagged);
  Bytes truncated = wav(fmt24x, samples24);
  truncated.resize(truncated.size() / 2 + 1);
  write_file(dir + "/truncated.wav", truncated);
  Bytes unfinished = head(fmt16, 0, 0);
  unfinished.insert(unfinished.end(), samples16.begin(), samples16.end());
  write_file(dir + "/unfinished.wav", unfinished);
  // The same with the ID3v1 tag appended, and a file behind an ID3v2 tag of odd length.
  unfinished.insert(unfinished.end(), tagged.end() - 128, tagged.end());
  write_file(dir + "/unfinished-tagged.wav", unfinished);
  Bytes front = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 7, 'T', 'I', 'T', '2', 'd', 'a', 't'};
  const Bytes whole = wav(fmt16, samples16);
  front.insert(front.end(), whole.begin(), whole.end());
  write_file(dir + "/tag-in-front.wav", front);
  // The same behind a tag whose size is not written 7 bits a byte: the header is looked for.
  front[9] = 0x87;
  write_file(dir + "/tag-in-front-unsynced.wav", front);
}

// A large file in blocks, so memory stays small whatever its size.
void noise(const std::string& name, std::uint64_t mebibytes, std::uint16_t bits) {
  const std::uint64_t frame = bits / 4;
  const std::uint64_t size = mebibytes * 1024 * 1024 / frame * frame;
  Bytes fmt;
  put_chunk(fmt, "fmt ", fmt_body(2, 48000, bits, false));
  std::FILE* file = std::fopen(name.c_str(), "wb");
  const Bytes header = head(fmt, static_cast<std::uint32_t>(size), static_cast<std::uint32_t>(size + 36));
  bool ok = file != nullptr && std::fwrite(header.data(), 1, header.size(), file) == header.size();
  Bytes block(1 << 20);
  std::uint32_t state = 1;
  for (std::uint64_t left = size; ok && left > 0;) {
    for (auto& byte : block) {
      state = state * 1664525U + 1013904223U;
      byte = static_cast<unsigned char>(state >> 24);
    }
    const std::size_t count = left < block.size() ? left : block.size();
    ok = std::fwrite(block.data(), 1, count, file) == count;
    left -= count;
  }
  if (file == nullptr || std::fclose(file) != 0 || !ok) {
    std::printf("wavgen: cannot write %s\n", name.c_str());
    std::exit(1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc >= 3 ? argv[1] : "";
  const auto number = [&](int at, double fallback) { return argc > at ? std::strtod(argv[at], nullptr) : fallback; };
  if (mode == "tones") {
    const auto rate = static_cast<std::uint32_t>(number(4, 22050));
    const auto bits = static_cast<std::uint16_t>(number(5, 16));
    Bytes fmt;
    put_chunk(fmt, "fmt ", fmt_body(2, rate, bits, false));
    write_file(argv[2], wav(fmt, tones(number(3, 1.0), rate, bits)));
  } else if (mode == "noise" && argc >= 4) {
    noise(argv[2], static_cast<std::uint64_t>(number(3, 0)), static_cast<std::uint16_t>(number(4, 16)));
  } else if (mode == "seeds") {
    seeds(argv[2]);
  } else {
    std::puts("usage: wavgen tones OUT [SECONDS] [RATE] [BITS] | noise OUT MIB [BITS] | seeds DIR");
    return 2;
  }
  return 0;
}
