/* The floor of starting a process: a program that only exits. */
int main(void) {
    return 0;
}
