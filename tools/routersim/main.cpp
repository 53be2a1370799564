// Router emulator entry point (first cut; the full emulator follows).
int main() { return 0; }
