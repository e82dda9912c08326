/* A stand-in for the translator library in the binding's tests: GBtoBIG5 puts the text in angle
   brackets and BIG5toGB in square brackets, so a test sees which procedure ran on which text. Built
   twice: with both procedures and none of the optional ones, and without BIG5toGB. The tests' texts are
   short; a longer one is cut to fit the buffer. */
#include <string.h>

enum { kBufferSize = 256 };

static const char* Enclose(char* buffer, const char* text, char open, char close) {
    size_t length = text ? strlen(text) : 0;
    if (length > kBufferSize - 3) length = kBufferSize - 3;
    buffer[0] = open;
    if (length) memcpy(buffer + 1, text, length);
    buffer[length + 1] = close;
    buffer[length + 2] = '\0';
    return buffer;
}

const char* GBtoBIG5(const char* text) {
    static char buffer[kBufferSize];
    return Enclose(buffer, text, '<', '>');
}

#ifndef KVR_TRANSLATOR_WITHOUT_BIG5TOGB
const char* BIG5toGB(const char* text) {
    static char buffer[kBufferSize];
    return Enclose(buffer, text, '[', ']');
}
#endif
