// placeholder: replaced by the real image generator
int main() { return 0; }
