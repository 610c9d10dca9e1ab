// Linked only into programs that open a GL context in the sanitizer build: Mesa unloads
// its driver at exit with allocations that the leak checker can then no longer name or
// suppress, so leak checking is off in those programs. Every other check stays on.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }
