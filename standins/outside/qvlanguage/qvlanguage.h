#pragma once
// The GB/BIG5 translator library, Qvlanguage.so, loaded by name. Its entry points have C linkage and
// the platform's C calling convention.
//
//   const char* GBtoBIG5(const char* text);
//   const char* BIG5toGB(const char* text);
//
// text: a NUL-terminated text, in code page 936 for GBtoBIG5 and in code page 950 for BIG5toGB; a null
// pointer reads as an empty text. Only the bytes before the NUL are read.
//
// GBtoBIG5 reads the text as 936, turns simplified characters into their traditional forms and writes
// the result in 950; BIG5toGB reads 950, turns traditional characters into simplified ones and writes
// 936. ASCII passes unchanged. A character the target code page cannot hold becomes '?', and so does a
// broken byte sequence (a lone lead byte at the end, a lead byte without a valid trail byte; the byte
// after such a lead byte is kept as a character of its own).
//
// The result: a NUL-terminated text that the library owns, never null. It stays valid until the next
// call of the same function on the same thread (each function and each thread has its own buffer, so
// GBtoBIG5(BIG5toGB(s)) is safe), or until the thread ends or the library is unloaded. The caller
// copies it and never frees it.
//
// Both functions may be called from any thread at the same time.
//
//   void GetBIG5Data(void);  void GetGBData(void);  void SaveOrder(void);
//
// Present so that a caller binding them by name finds them; they do nothing.

#ifdef __cplusplus
extern "C" {
#endif

const char* GBtoBIG5(const char* text);
const char* BIG5toGB(const char* text);
void GetBIG5Data(void);
void GetGBData(void);
void SaveOrder(void);

#ifdef __cplusplus
}
#endif
