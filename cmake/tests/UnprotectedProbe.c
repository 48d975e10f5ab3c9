// A program built without the stack protector, for the static check to refuse.
#include <stdio.h>
#include <string.h>

static int Echo(const char* text)
{
    char copy[64];
    strncpy(copy, text, sizeof copy - 1);
    copy[sizeof copy - 1] = 0;
    return puts(copy);
}

int main(int argc, char** argv) { return argc > 0 ? Echo(argv[0]) : 0; }
