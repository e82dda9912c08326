/* A stand-in for the translator library in the binding's tests: GBtoBIG5 puts the text in angle
   brackets and BIG5toGB in square brackets, so a test sees which procedure ran on which text. Built
   twice: with both procedures and none of the optional ones, and without BIG5toGB. */
#include <stdlib.h>
#include <string.h>

static const char* Enclose(char** buffer, const char* text, char open, char close) {
    size_t length = text ? strlen(text) : 0;
    char* grown = realloc(*buffer, length + 3);
    if (!grown) return "";
    *buffer = grown;
    grown[0] = open;
    if (length) memcpy(grown + 1, text, length);
    grown[length + 1] = close;
    grown[length + 2] = '\0';
    return grown;
}

const char* GBtoBIG5(const char* text) {
    static char* buffer;
    return Enclose(&buffer, text, '<', '>');
}

#ifndef KVR_TRANSLATOR_WITHOUT_BIG5TOGB
const char* BIG5toGB(const char* text) {
    static char* buffer;
    return Enclose(&buffer, text, '[', ']');
}
#endif
