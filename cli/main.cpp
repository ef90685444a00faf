// Placeholder until the converter exists.
int main() { return 0; }
