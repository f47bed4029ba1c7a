/* The program of the corpus installers: good.exe and other.exe. It only has to exist and
   start; the registrations around it are what the corpus check looks at. */
#include <stdio.h>

int main(int argc, char** argv) {
    printf("tolvane corpus program, %d argument(s)\n", argc - 1);
    for (int i = 1; i < argc; ++i)
        printf("  %s\n", argv[i]);
    return 0;
}
