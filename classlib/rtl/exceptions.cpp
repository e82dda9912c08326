#include "classlib/rtl/exceptions.h"

#include <cstdio>

namespace {
TShowExceptionHandler gShowException = nullptr;
}

void Abort() {
    throw EAbort("Operation aborted");
}

void ShowException(const Exception& e) {
    if (gShowException) {
        gShowException(e);
        return;
    }
    std::fprintf(stderr, "%s: %s\n", e.ClassName(), e.Message().c_str());
}

void SetShowExceptionHandler(TShowExceptionHandler handler) {
    gShowException = handler;
}
