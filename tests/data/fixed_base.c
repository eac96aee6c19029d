/* A program that must be mapped at its fixed base address, as the setup program is: it
   has no relocations. It does nothing. */
int main(void) { return 0; }
