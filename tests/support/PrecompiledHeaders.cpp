// The program that builds the precompiled headers the test programs reuse; it is
// never run.
int main() {
    return 0;
}
