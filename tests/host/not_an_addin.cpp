// A shared library that is not an add-in module: it exports none of the four
// functions, as a wrong file handed to regsvr32 or registered by mistake.
extern "C" __attribute__((visibility("default"))) int notAnAddin() { return 42; }
