// Writes the seed corpora of the fuzz targets (fuzz/corpus/<target>/): a few
// small files each, laid out the way each target reads its input, so that
// a fuzz run starts from files that reach deep instead of from noise.
// Run by fuzz/make_seeds.sh; the output is committed.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"

namespace {

using belmo::fuzz::CanonicalWave;
using belmo::fuzz::PutLe16;
using belmo::fuzz::PutLe32;
using belmo::fuzz::PutText;
using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

fs::path gRoot;

void Write(const std::string& target, const std::string& name, const Bytes& bytes) {
  const fs::path dir = gRoot / target;
  fs::create_directories(dir);
  std::ofstream(dir / name, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

void PutDouble(Bytes& out, double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  PutLe32(out, static_cast<uint32_t>(bits));
  PutLe32(out, static_cast<uint32_t>(bits >> 32));
}

// A file with a LIST chunk between the format and the data chunk, whose
// text happens to hold "data": the scan and the chunk walk disagree on it.
Bytes WaveWithList(uint32_t sampleBytes) {
  Bytes image;
  PutText(image, "RIFF");
  PutLe32(image, 36 + 20 + sampleBytes);
  PutText(image, "WAVEfmt ");
  PutLe32(image, 16);
  PutLe16(image, 1);
  PutLe16(image, 2);
  PutLe32(image, 22050);
  PutLe32(image, 22050 * 4);
  PutLe16(image, 4);
  PutLe16(image, 16);
  PutText(image, "LIST");
  PutLe32(image, 12);
  PutText(image, "INFOdata....");
  PutText(image, "data");
  PutLe32(image, sampleBytes);
  for (uint32_t i = 0; i < sampleBytes; ++i) image.push_back(static_cast<uint8_t>(i * 5));
  return image;
}

struct Format {
  uint16_t channels;
  uint16_t bits;
  uint32_t rate;
  const char* name;
  uint16_t tag = 1;
};

// A field recorder's file: "bext" and "JUNK" before the format chunk
// (written extensible, as many programs do), a title after the data.
Bytes BroadcastWave(uint16_t subformat, uint16_t channels, uint16_t bits, uint32_t sampleBytes) {
  Bytes body;
  PutText(body, "WAVEbext");
  PutLe32(body, 24);
  PutText(body, "Interview, metadata here");
  PutText(body, "JUNK");
  PutLe32(body, 4);
  PutText(body, "    fmt ");
  PutLe32(body, 40);
  PutLe16(body, 0xFFFE);
  PutLe16(body, channels);
  PutLe32(body, 48000);
  PutLe32(body, 48000u * channels * bits / 8);
  PutLe16(body, static_cast<uint16_t>(channels * bits / 8));
  PutLe16(body, bits);
  PutLe16(body, 22);
  PutLe16(body, bits);
  PutLe32(body, 3);
  PutLe16(body, subformat);
  for (uint8_t b : {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B,
                    0x71}) {
    body.push_back(b);
  }
  PutText(body, "data");
  PutLe32(body, sampleBytes);
  for (uint32_t i = 0; i < sampleBytes; ++i) body.push_back(static_cast<uint8_t>(i * 29 + 3));
  PutText(body, "LIST");
  PutLe32(body, 4);
  PutText(body, "INFO");
  Bytes image;
  PutText(image, "RIFF");
  PutLe32(image, static_cast<uint32_t>(body.size()));
  return Concat({image, body});
}

const Format kFormats[] = {
    {1, 8, 8000, "mono8_8000"},
    {2, 8, 11025, "stereo8_11025"},
    {1, 16, 22050, "mono16_22050"},
    {2, 16, 44100, "stereo16_44100"},
    {2, 24, 48000, "stereo24_48000"},
    {1, 32, 44100, "mono_float_44100", 3},
    {1, 8, 8000, "mono_mulaw_8000", 7},
    {2, 8, 8000, "stereo_alaw_8000", 6},
};

void WaveImageSeeds() {
  for (const Format& f : kFormats) {
    Write("wave_image_fuzz", std::string(f.name) + ".wav",
          CanonicalWave(f.channels, f.bits, f.rate, 400, f.tag));
  }
  Write("wave_image_fuzz", "broadcast24.wav", BroadcastWave(1, 2, 24, 300));
  Write("wave_image_fuzz", "broadcast_float.wav", BroadcastWave(3, 1, 32, 300));
  Write("wave_image_fuzz", "adpcm.wav", CanonicalWave(1, 4, 8000, 100, 0x11));
  Bytes rf64 = CanonicalWave(2, 16, 48000, 64);
  std::memcpy(rf64.data(), "RF64", 4);
  Write("wave_image_fuzz", "rf64.wav", rf64);
  Write("wave_image_fuzz", "list_chunk.wav", WaveWithList(256));
  Bytes overstated = CanonicalWave(1, 16, 8000, 100);
  overstated[40] = 0xFF;  // the data chunk claims far more than is there
  Write("wave_image_fuzz", "overstated.wav", overstated);
  Bytes cut = CanonicalWave(2, 16, 48000, 64);
  cut.resize(44);
  Write("wave_image_fuzz", "no_samples.wav", cut);
}

void LoadWaveSeeds() {
  struct Case {
    uint8_t flags, failingWrites, failingCommands;
    const char* reply;
    const char* name;
  };
  const Case cases[] = {
      {0, 0, 0, "25", "fresh"},
      {1, 0, 0, "12.5", "replaces_open"},
      {2, 0, 0, "25", "recovering"},
      {1, 1, 0, "25", "copy_write_fails"},
      {4, 0, 4, "", "status_fails"},
      {1, 0, 0, "abc", "bad_reply"},
      {0, 0, 2, "0", "set_fails"},
  };
  const Bytes wave = CanonicalWave(1, 16, 8000, 400);
  for (const Case& c : cases) {
    Bytes input{c.flags, c.failingWrites, c.failingCommands,
                static_cast<uint8_t>(std::strlen(c.reply))};
    PutText(input, c.reply);
    Write("load_wave_fuzz", c.name, Concat({input, wave}));
  }
}

Bytes OverwriteHeader(uint8_t format, uint8_t mode, uint16_t first, uint16_t second,
                      uint32_t position) {
  Bytes header{format, mode};
  PutLe16(header, first);
  PutLe16(header, second);
  PutLe32(header, position);
  return header;
}

void FileOverwriteSeeds() {
  // Format byte: bit 0 16-bit, bit 1 stereo, bits 2-4 the rate (8000,
  // 11025, 22050, 44100, 48000, 96000, ...).
  int n = 0;
  for (const Format& source : kFormats) {
    for (uint8_t format : {0x00, 0x07, 0x0A, 0x0D, 0x13}) {
      const uint8_t mode = static_cast<uint8_t>(n % 2);
      const Bytes input =
          Concat({OverwriteHeader(format, mode, 1000, 3000, 0), Bytes{static_cast<uint8_t>(n % 11)},
                  CanonicalWave(source.channels, source.bits, source.rate, 300, source.tag)});
      Write("file_overwrite_fuzz",
            std::string(source.name) + "_to_" + std::to_string(format) + (mode ? "_loop" : "_once"),
            input);
      ++n;
    }
  }
  Write("file_overwrite_fuzz", "list_chunk",
        Concat({OverwriteHeader(0x0F, 1, 500, 500, 77), Bytes{0}, WaveWithList(200)}));
  Write("file_overwrite_fuzz", "broadcast24_to_float",
        Concat({OverwriteHeader(0x0E, 1, 700, 900, 0), Bytes{5}, BroadcastWave(1, 2, 24, 600)}));
}

void SettingsSeeds() {
  const std::string defaults =
      "[Settings]\r\nSinHz=1000\r\nSindB=-10\r\nPitchUpType=0\r\nVoicePitch=2\r\n"
      "VoiceSample=100\r\nFFTSample=3\r\nOverWriteFilePath=\r\nOverWriteType=0\r\n";
  Write("settings_fuzz", "defaults.ini", Text(defaults));
  Write("settings_fuzz", "custom.ini",
        Text("[Settings]\r\nSinHz=440.5\r\nSindB=-3\r\nPitchUpType=1\r\nVoicePitch=.5\r\n"
             "VoiceSample=20\r\nFFTSample=&H4\r\nOverWriteFilePath=C:\\voice\\over.wav\r\n"
             "OverWriteType=1\r\n"));
  Write("settings_fuzz", "no_last_line_end.ini",
        Text("[Settings]\r\nSinHz=1e3\r\nSindB=-1.5e1\r\nPitchUpType=-1\r\nVoicePitch=2\r\n"
             "VoiceSample=100\r\nFFTSample=70000\r\nOverWriteFilePath=a=b\r\nOverWriteType=1"));
}

void NumberTextSeeds() {
  struct Case {
    uint8_t selector;
    uint32_t position, length;
    double raw;
    const char* pattern;
    const char* text;
    const char* name;
  };
  const Case cases[] = {
      {0, 1, 0, 0.1, "=", "-12.5", "negative"},
      {1, 3, 2, 1e15, ".", ".5", "fraction"},
      {0, 1, 4, 2.5, "FF", "&HFFFFFFFF", "hex"},
      {1, 2, 0, -1e-5, "7", "&O17", "octal"},
      {0, 5, 3, 123456789012345.0, "e", "1.5e3", "exponent"},
      {1, 1, 0, 5e-324, "", "00000000000000000000000000000000000001", "leading_zeros"},
      {0, 9, 9, 1.7976931348623157e308, "\r\n", "SinHz=1000\r\nSindB=-10\r\n", "settings_line"},
  };
  for (const Case& c : cases) {
    Bytes input{c.selector};
    PutLe32(input, c.position);
    PutLe32(input, c.length);
    PutDouble(input, c.raw);
    input.push_back(static_cast<uint8_t>(std::strlen(c.pattern)));
    PutText(input, c.pattern);
    PutText(input, c.text);
    Write("number_text_fuzz", c.name, input);
  }
}

void ApplyMaskSeeds() {
  struct Case {
    uint8_t kind, flags;
    uint32_t start, end, reportedMs;
    double sinHz, sindB;
    uint8_t pitchUpType;
    double voicePitch, voiceSample;
    uint16_t fftSample;
    uint8_t overWriteType;
    uint16_t added;
    Format image;
    const char* name;
  };
  // Flags: bit 0 length by chunks, bit 1 keep undo copies, bit 2 an earlier
  // edit to undo, bit 3 an overwrite file is chosen, bit 4 add sample bytes.
  const Case cases[] = {
      {0, 3, 10, 40, 0, 1000, -10, 0, 2, 100, 3, 0, 0, {1, 16, 8000, ""}, "sine_mono16"},
      {0, 6, 0, 90, 90, 300, 6, 0, 2, 100, 3, 0, 0, {2, 8, 11025, ""}, "sine_stereo8_loud"},
      {1, 3, 5, 70, 0, 1000, -10, 0, 2, 10, 0, 0, 0, {1, 8, 8000, ""}, "simple_mono8"},
      {1, 7, 0, 20, 0, 1000, -10, 0, 0.5, 6, 0, 0, 0, {2, 16, 22050, ""}, "simple_stereo16"},
      {1, 3, 0, 500, 0, 1000, -10, 1, 2, 100, 0, 0, 0, {1, 16, 8000, ""}, "fft_mono16"},
      {1, 2, 0, 400, 400, 1000, -10, 1, 0.75, 100, 1, 0, 0, {2, 8, 11025, ""}, "fft_stereo8"},
      {1, 18, 0, 900, 1000, 1000, -10, 1, 1.5, 100, 4, 0, 40000, {2, 16, 11025, ""}, "fft_8192"},
      {2, 11, 5, 20, 0, 1000, -10, 0, 2, 100, 3, 0, 0, {2, 16, 22050, ""}, "file_once"},
      {2, 15, 0, 200, 0, 1000, -10, 0, 2, 100, 3, 1, 0, {1, 8, 8000, ""}, "file_loop"},
      {0, 3, 10, 40, 0, 440, -6, 0, 2, 100, 3, 0, 0, {2, 24, 48000, ""}, "sine_stereo24"},
      {1, 3, 0, 60, 0, 1000, -10, 0, 1.5, 8, 0, 0, 0, {1, 32, 8000, "", 3}, "simple_float"},
      {1, 3, 0, 500, 0, 1000, -10, 1, 2, 100, 0, 0, 0, {1, 8, 8000, "", 7}, "fft_mulaw"},
      {2, 11, 5, 90, 0, 1000, -10, 0, 2, 100, 3, 0, 0, {2, 8, 8000, "", 6}, "file_alaw"},
  };
  for (const Case& c : cases) {
    Bytes input{c.kind, c.flags};
    PutLe32(input, c.start);
    PutLe32(input, c.end);
    PutLe32(input, c.reportedMs);
    PutDouble(input, c.sinHz);
    PutDouble(input, c.sindB);
    input.push_back(c.pitchUpType);
    PutDouble(input, c.voicePitch);
    PutDouble(input, c.voiceSample);
    PutLe16(input, c.fftSample);
    input.push_back(c.overWriteType);
    PutLe16(input, c.added);
    const Bytes source = c.kind == 2 ? CanonicalWave(1, 16, 8000, 300) : Bytes();
    PutLe16(input, static_cast<uint16_t>(source.size()));
    // Whole frames of every format; one FFT frame of N = 4096 for the FFT.
    const uint32_t width = c.image.bits / 8u;
    const uint32_t imageBytes =
        c.kind == 1 && c.pitchUpType != 0 && c.added == 0 ? 8192 * width : 2004 * width;
    const Bytes image =
        CanonicalWave(c.image.channels, c.image.bits, c.image.rate, imageBytes, c.image.tag);
    Write("apply_mask_fuzz", c.name, Concat({input, source, image}));
  }
}

void MaskCliSeeds() {
  const std::vector<std::vector<std::string>> cases = {
      {"sine", "in.wav", "out.wav", "--hz", "440", "--db", "-6", "--start", "0.1", "--end", "0.5"},
      {"voice", "in.wav", "out.wav", "--method", "simple", "--ratio", "2", "--waves", "3"},
      {"voice", "in8.wav", "out.wav", "--method", "fft", "--fft-size", "512", "--ratio", "0.5"},
      {"file", "in8.wav", "out.wav", "--source", "src.wav", "--mode", "loop", "--start", ".2"},
      {"file", "in.wav", "in.wav", "--settings", "settings.ini"},
      {"voice", "in.wav", "out.wav", "--settings", "settings.ini", "--end", "0.9"},
      {"--help"},
      {"--version"},
      {"sine", "in.wav"},
      {"voice", "in24.wav", "out.wav", "--method", "fft", "--fft-size", "512", "--end", "0.7"},
      {"sine", "inmu.wav", "out.wav", "--start", "0.1"},
      {"file", "in24.wav", "out.wav", "--source", "srcf.wav", "--mode", "once"},
      {"voice", "in.wav", "out.wav", "--method=fft", "--fft-size=512", "--ranges", "labels.txt"},
      {"sine", "-", "-", "--range", "0.1-0.2", "--range", "0:00.15-0:00.4", "--hz=440"},
      {"file", "in8.wav", "-", "--source", "src.wav", "--ranges", "-"},
      {"voice", "--ratio", "1,5", "--", "in.wav", "out.wav"},
      {"sine", "--help"},
      {"find", "take.srt", "--words", "names.txt", "--digits", "4", "--pad", "0.1"},
      {"voice", "in.wav", "out.wav", "--transcript", "take.srt", "--find", "Tanaka", "--range", "0.5-0.6"},
  };
  int n = 0;
  for (const auto& args : cases) {
    Bytes input;
    for (size_t i = 0; i < args.size(); ++i) {
      if (i > 0) input.push_back(0);
      PutText(input, args[i].c_str());
    }
    Write("mask_cli_fuzz", "args" + std::to_string(n++), input);
  }
}

void CommandLineSeeds() {
  Write("command_line_fuzz", "quoted", Text("\"C:\\Program Files\\Belmo\\belmo.exe\" \"D:\\rec\\a b.wav\""));
  Write("command_line_fuzz", "plain", Text("C:\\Belmo\\belmo.exe D:\\rec\\take1.wav"));
  Write("command_line_fuzz", "two_blanks", Text("belmo.exe  x.wav"));
  Write("command_line_fuzz", "program_only", Text("\"C:\\Belmo\\belmo.exe\""));
}

// Events of version_check_fuzz, as its switch numbers them.
class Exchange {
 public:
  Exchange(uint8_t flags, uint8_t more, const std::string& setting) {
    bytes_ = {flags, more, static_cast<uint8_t>(setting.size())};
    PutText(bytes_, setting.c_str());
  }
  Exchange& Piece(const std::string& piece) {
    if (piece.size() > 255) {
      bytes_.push_back(1);
      PutLe16(bytes_, static_cast<uint16_t>(piece.size()));
    } else {
      bytes_.push_back(0);
      bytes_.push_back(static_cast<uint8_t>(piece.size()));
    }
    bytes_.insert(bytes_.end(), piece.begin(), piece.end());
    return *this;
  }
  Exchange& CloseWith(const std::string& last) {
    bytes_.push_back(4);
    bytes_.push_back(static_cast<uint8_t>(last.size()));
    PutText(bytes_, last.c_str());
    return *this;
  }
  // Lookup found, connected, ready to write.
  Exchange& Connect() {
    bytes_.insert(bytes_.end(), {7, 5, 6});
    return *this;
  }
  Exchange& RunPosted() {
    bytes_.push_back(9);
    return *this;
  }
  Exchange& Event(uint8_t op) {
    bytes_.push_back(op);
    return *this;
  }
  const Bytes& bytes() const { return bytes_; }

 private:
  Bytes bytes_;
};

std::string Ok200(const std::string& body) {
  return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

void VersionCheckSeeds() {
  const std::string redirect =
      "HTTP/1.1 302 Found\r\nLocation: http://update.belmo.example/files/Belmo1140.zip\r\n"
      "Content-Length: 5\r\n\r\nmoved";
  const std::string archive = Ok200("PK\x03\x04" + std::string(300, 'z'));
  // Flags: bit 0 the built-in server, bit 2 the user answers Yes.
  Write("version_check_fuzz", "up_to_date",
        Exchange(1, 0, "").Connect().Piece(Ok200("Other 2000\r\nBelmo 1130\r\n")).RunPosted().bytes());
  Write("version_check_fuzz", "split_header",
        Exchange(0, 0, "127.0.0.1:8089")
            .Connect()
            .Piece("HTTP/1.1 2")
            .Piece("00 OK\r\nContent-Len")
            .Piece("gth: 10\r\n\r")
            .Piece("\nBelmo")
            .Piece(" 1120")
            .RunPosted()
            .bytes());
  Write("version_check_fuzz", "no_length_close",
        Exchange(1, 0, "").Connect().Piece("HTTP/1.1 200 OK\r\n\r\nBel").CloseWith("mo 1130").RunPosted().bytes());
  Write("version_check_fuzz", "download",
        Exchange(5, 0, "")
            .Connect()
            .Piece(Ok200("Belmo 1140"))
            .RunPosted()
            .Connect()
            .Piece(redirect)
            .RunPosted()
            .Piece(archive.substr(0, 100))
            .Piece(archive.substr(100) + "JUNK")
            .bytes());
  // The script's connection closes before the archive is asked for: a new
  // one is made for it.
  Write("version_check_fuzz", "download_new_connection",
        Exchange(5, 0, "")
            .Connect()
            .Piece(Ok200("Belmo 1140"))
            .RunPosted()
            .Connect()
            .Piece(redirect)
            .CloseWith("")
            .RunPosted()
            .Connect()
            .Piece(archive)
            .bytes());
  Write("version_check_fuzz", "not_found",
        Exchange(1, 0, "").Connect().Piece("HTTP/1.1 404 Not Found\r\n\r\n").RunPosted().bytes());
  Write("version_check_fuzz", "window_closed_in_question",
        Exchange(5, 8, "").Connect().Piece(Ok200("Belmo 1140")).RunPosted().Event(10).bytes());
}

// One small transcript in each format read, and the oddities of each: a
// number WhisperX left without times, whisper.cpp's special tokens and a
// character split over two tokens, markup and inline times in cues.
void TranscriptSeeds() {
  Write("transcript_fuzz", "whisper.json",
        Text("{\"text\":\" Call 090\",\"segments\":[{\"start\":0.0,\"end\":2.0,\"text\":\" Call 090\","
             "\"words\":[{\"word\":\" Call\",\"start\":0.2,\"end\":0.5},"
             "{\"word\":\" 090-1234\",\"start\":0.5,\"end\":1.5}]}]}"));
  Write("transcript_fuzz", "whisperx.json",
        Text("{\"segments\":[{\"start\":1,\"end\":3,\"words\":[{\"word\":\"a\",\"start\":1,\"end\":1.2},"
             "{\"word\":\"123\"},{\"word\":\"b\",\"start\":2,\"end\":2.5}]}],"
             "\"word_segments\":[{\"word\":\"a\",\"start\":1,\"end\":1.2}]}"));
  Write("transcript_fuzz", "whispercpp.json",
        Text("{\"transcription\":[{\"offsets\":{\"from\":0,\"to\":900},\"text\":\"x\",\"tokens\":["
             "{\"text\":\"[_BEG_]\",\"offsets\":{\"from\":0,\"to\":0}},"
             "{\"text\":\" \xE7\x94\",\"offsets\":{\"from\":0,\"to\":300}},"
             "{\"text\":\"\xB0\xE4\xB8\xAD\",\"offsets\":{\"from\":300,\"to\":600}},"
             "{\"text\":\" 42\",\"offsets\":{\"from\":600,\"to\":900}},"
             "{\"text\":\"[_TT_45]\",\"offsets\":{\"from\":900,\"to\":900}}]}]}"));
  Write("transcript_fuzz", "subtitles.srt",
        Text("1\r\n00:00:01,000 --> 00:00:01,500\r\n<i>Tanaka</i> &amp; co\r\n\r\n"
             "2\r\n00:00:02,000 --> 00:00:04,250\r\n{\\an8}\xEF\xBC\x90\xEF\xBC\x99 1234\r\n"));
  Write("transcript_fuzz", "captions.vtt",
        Text("WEBVTT\n\nNOTE by hand\n\n00:01.000 --> 00:02.000 align:start\n<v A>Call <u>Sato</u>\n\n"
             "00:00:03.000 --> 00:00:05.000\none<00:00:03.500><c> two</c><00:00:04.200><c> 3456</c>\n"));
  Write("transcript_fuzz", "labels.txt", Text("start\tend\tword\n1.5\t2.25\tIto\n3,3.5,\"4, 5, 6\"\n"));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds CORPUS_DIR\n");
    return 2;
  }
  gRoot = argv[1];
  WaveImageSeeds();
  LoadWaveSeeds();
  FileOverwriteSeeds();
  SettingsSeeds();
  NumberTextSeeds();
  ApplyMaskSeeds();
  MaskCliSeeds();
  VersionCheckSeeds();
  CommandLineSeeds();
  TranscriptSeeds();
  return 0;
}
