#include "spi/host_protocol.h"

#include <cstring>

namespace zeb::spi {

MessageWriter& MessageWriter::U8(uint8_t v) {
  bytes_.push_back(v);
  return *this;
}

MessageWriter& MessageWriter::U16(uint16_t v) {
  for (int i = 0; i < 2; ++i) bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
  return *this;
}

MessageWriter& MessageWriter::U32(uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
  return *this;
}

MessageWriter& MessageWriter::U64(uint64_t v) {
  for (int i = 0; i < 8; ++i) bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
  return *this;
}

MessageWriter& MessageWriter::Bytes(const void* data, size_t size) {
  U32(static_cast<uint32_t>(size));
  const auto* p = static_cast<const uint8_t*>(data);
  bytes_.insert(bytes_.end(), p, p + size);
  return *this;
}

MessageReader::MessageReader(const std::vector<uint8_t>& message) : message_(message) {
  if (message.empty()) throw HostProtocolError("An empty message from the plug-in host");
  kind_ = static_cast<HostMessage>(message[0]);
}

const uint8_t* MessageReader::Take(size_t size) {
  if (size > message_.size() - position_)
    throw HostProtocolError("A message from the plug-in host is cut short");
  const uint8_t* p = message_.data() + position_;
  position_ += size;
  return p;
}

uint8_t MessageReader::U8() { return *Take(1); }

uint16_t MessageReader::U16() {
  const uint8_t* p = Take(2);
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint32_t MessageReader::U32() {
  const uint8_t* p = Take(4);
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

uint64_t MessageReader::U64() {
  const uint64_t low = U32();
  return low | uint64_t{U32()} << 32;
}

std::string MessageReader::Text() {
  const uint32_t size = U32();
  const uint8_t* p = Take(size);
  return std::string(reinterpret_cast<const char*>(p), size);
}

std::vector<uint8_t> MessageReader::Bytes() {
  const uint32_t size = U32();
  const uint8_t* p = Take(size);
  return std::vector<uint8_t>(p, p + size);
}

std::vector<uint8_t> EncodeModuleFacts(const ModuleFacts& facts) {
  MessageWriter w(HostMessage::Module);
  w.U8(static_cast<uint8_t>(facts.outcome)).Text(facts.message).U8(static_cast<uint8_t>(facts.kind));
  w.Text(facts.fileName).Text(facts.apiVersion).Text(facts.pluginName);
  w.U32(static_cast<uint32_t>(facts.filters.size()));
  for (size_t i = 0; i < facts.filters.size(); ++i)
    w.Text(facts.filters[i]).Text(i < facts.descriptions.size() ? facts.descriptions[i] : std::string());
  w.U8(facts.wideNames ? 1 : 0);
  return w.Message();
}

ModuleFacts DecodeModuleFacts(MessageReader& r) {
  ModuleFacts facts;
  const uint8_t outcome = r.U8();
  if (outcome > static_cast<uint8_t>(LoadOutcome::Error)) throw HostProtocolError("An unknown load outcome");
  facts.outcome = static_cast<LoadOutcome>(outcome);
  facts.message = r.Text();
  const uint8_t kind = r.U8();
  if (kind > static_cast<uint8_t>(ModuleKind::Xn)) throw HostProtocolError("An unknown module kind");
  facts.kind = static_cast<ModuleKind>(kind);
  facts.fileName = r.Text();
  facts.apiVersion = r.Text();
  facts.pluginName = r.Text();
  const uint32_t count = r.U32();
  for (uint32_t i = 0; i < count; ++i) {
    facts.filters.push_back(r.Text());
    facts.descriptions.push_back(r.Text());
  }
  facts.wideNames = r.U8() != 0;
  return facts;
}

void WritePictureInput(MessageWriter& w, const PictureInput& input) {
  w.U8(static_cast<uint8_t>((input.inMemory ? 1 : 0) | (input.wideName ? 2 : 0)));
  w.Text(input.fileOrBlock).I64(input.offsetOrSize);
}

PictureInput ReadPictureInput(MessageReader& r) {
  PictureInput input;
  const uint8_t kind = r.U8();
  input.inMemory = (kind & 1) != 0;
  input.wideName = (kind & 2) != 0;
  input.fileOrBlock = r.Text();
  input.offsetOrSize = r.I64();
  return input;
}

}  // namespace zeb::spi
