// Stands in for pelmora.exe and pelmora-engine.exe in the field check's own
// test: writes nothing and answers 0, so every check of an outcome must fail.
int wmain() { return 0; }
