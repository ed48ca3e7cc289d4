// SHA-256 of a byte stream, so that a result can be traced to the exact
// run files it came from.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class Sha256 {
 public:
  // With `processorRounds`, the processor's SHA instructions where it has
  // them; otherwise the portable rounds.
  explicit Sha256(bool processorRounds = true);
  // Adds the next bytes of the stream.
  void Update(std::string_view bytes);
  // The digest of everything added, as 64 lower-case hex digits.
  std::string HexDigest();

 private:
  // `count` blocks of 64 bytes.
  void Blocks(const unsigned char* blocks, std::size_t count);
  void PortableBlock(const unsigned char* block);

  std::array<std::uint32_t, 8> state_;
  std::array<unsigned char, 64> pending_{};
  std::size_t pendingSize_ = 0;
  std::uint64_t length_ = 0;  // bytes added
  bool processorRounds_;
};

// The digest of a whole file, read in blocks through the file layer; empty
// when there is no regular file of that name.
std::string FileSha256(const std::string& path);
