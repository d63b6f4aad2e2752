// The messages between the viewer and the plug-in host process. Every field has a fixed width and is
// little-endian, every text and byte run carries its length, so a host of either pointer size reads
// what a viewer of either pointer size writes. The viewer asks, the host answers each request with
// one reply; while it reads a picture it also sends progress, and takes a stop request between them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/errors.h"

namespace zeb::spi {

// A message that does not read as its kind says (cut short, a length past its end).
ZEB_EXCEPTION(HostProtocolError, Exception);

enum class HostMessage : uint8_t {
  // Requests.
  LoadModule = 1,    // path
  IsSupported = 2,   // path, ANSI file name, the 2048-byte header
  Stop = 5,          // the picture being read is no longer wanted
  IsSupportedW = 6,  // path, UTF-8 file name (for the plug-in's IsSupportedW), the 2048-byte header
  // A plug-in's attempt at a picture: path, whether the name is for IsSupportedW, the file name, the
  // 2048-byte header, whether to read the picture, and then (when it is read) the picture input and the
  // held flag of GetPicture. Answered by IsSupported's Result; when the plug-in takes the picture and it
  // is to be read, then by GetPictureInfo's reply and GetPicture's, each sent as soon as it is known. A
  // Failed reply ends the attempt.
  Attempt = 7,
  // Replies.
  Module = 0x81,       // ModuleFacts
  Result = 0x82,       // the export's result
  PictureInfo = 0x83,  // result and the PictureInfo fields (its text block stays in the host)
  Picture = 0x84,      // result, the bitmap information block, the shared block of the bits and its size
  Progress = 0x85,     // done, total
  Crashed = 0x86,      // the exception code that ended the call and its message; the host ends after it
  Failed = 0x87,       // a request the host could not carry out, with its message
};

// Writes a message: its kind, then the fields in order.
class MessageWriter {
 public:
  explicit MessageWriter(HostMessage kind) { bytes_.push_back(static_cast<uint8_t>(kind)); }
  MessageWriter& U8(uint8_t v);
  MessageWriter& U16(uint16_t v);
  MessageWriter& U32(uint32_t v);
  MessageWriter& U64(uint64_t v);
  MessageWriter& I32(int32_t v) { return U32(static_cast<uint32_t>(v)); }
  MessageWriter& I64(int64_t v) { return U64(static_cast<uint64_t>(v)); }
  MessageWriter& Text(const std::string& text) { return Bytes(text.data(), text.size()); }
  MessageWriter& Bytes(const void* data, size_t size);
  const std::vector<uint8_t>& Message() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

// Reads a message's fields in order; raises HostProtocolError past its end.
class MessageReader {
 public:
  explicit MessageReader(const std::vector<uint8_t>& message);
  HostMessage Kind() const { return kind_; }
  uint8_t U8();
  uint16_t U16();
  uint32_t U32();
  uint64_t U64();
  int32_t I32() { return static_cast<int32_t>(U32()); }
  int64_t I64() { return static_cast<int64_t>(U64()); }
  std::string Text();
  std::vector<uint8_t> Bytes();

 private:
  const uint8_t* Take(size_t size);
  const std::vector<uint8_t>& message_;
  size_t position_ = 1;
  HostMessage kind_;
};

// What the host tells of a plug-in it loaded.
enum class ModuleKind : uint8_t { Plain = 0, Import = 1, Archive = 2, Xn = 3 };
enum class LoadOutcome : uint8_t { Loaded = 0, NotAPlugin = 1, ExportMissing = 2, Error = 3 };
struct ModuleFacts {
  LoadOutcome outcome = LoadOutcome::NotAPlugin;
  std::string message;  // the error's, when not loaded
  ModuleKind kind = ModuleKind::Plain;
  std::string fileName, apiVersion, pluginName;
  std::vector<std::string> filters, descriptions;
  bool wideNames = false;  // it takes file names in UTF-16 (IsSupportedW, GetPictureInfoW, GetPictureW)
};
std::vector<uint8_t> EncodeModuleFacts(const ModuleFacts& facts);
ModuleFacts DecodeModuleFacts(MessageReader& reader);

// The picture a plug-in reads: a file by its ANSI name (or by its wide name, through the wide entry
// points) and the offset its data starts at, or bytes in a shared block.
struct PictureInput {
  bool inMemory = false;
  bool wideName = false;    // the file name is UTF-8, for the plug-in's wide entry points
  std::string fileOrBlock;  // the file name, or the shared block's name
  int64_t offsetOrSize = 0;
};
void WritePictureInput(MessageWriter& writer, const PictureInput& input);
PictureInput ReadPictureInput(MessageReader& reader);

}  // namespace zeb::spi
