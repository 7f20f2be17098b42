#pragma once
// The file key cipher: a small symmetric byte cipher applied in place to short
// buffers (chunk headers, the header block, key store names and values).

#include <cstddef>
#include <string>

namespace talsk {

// key: zero-terminated; an empty key leaves the buffer unchanged; a null key
// means built-in key 1.
void encipher(unsigned char* buffer, size_t n, const char* key);
void decipher(unsigned char* buffer, size_t n, const char* key);

// The file key of a typed key text: same length, no zero byte.
std::string deriveFileKey(const std::string& typed);

// Writes built-in key 1 (13 bytes and a zero, out >= 14 bytes) or built-in
// key 2 (32 bytes and a zero, out >= 33 bytes).
void makeBuiltinKey(int which, char* out);

} // namespace talsk
