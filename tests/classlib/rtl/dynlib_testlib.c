/* A tiny library that the loader tests load and call. */
int KvrTestAdd(int a, int b) {
    return a + b;
}

const char* KvrTestName(void) {
    return "kvr test library";
}
