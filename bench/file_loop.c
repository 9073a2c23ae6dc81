/* The file work of converting pictures and nothing else, the floor that
 * quellbit-cli convert is measured against: for each picture named, read it
 * whole, write a data file's worth of text to a temporary file beside it,
 * and rename that over lcd_NAME.txt. No decoding, no scan, no checks beyond
 * the system calls' results. */

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#define TEXT_SIZE 21600

int main(int argc, char **argv)
{
    static char text[TEXT_SIZE];
    static char picture[1 << 16];
    static const char line[] = "        DB 00H,00H,00H,00H,00H,00H,00H,00H;\r\n";
    for (size_t at = 0; at < TEXT_SIZE; at += sizeof line - 1)
        memcpy(text + at, line, sizeof line - 1);

    for (int i = 1; i < argc; ++i) {
        int fd = open(argv[i], O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return 3;
        while (read(fd, picture, sizeof picture) > 0)
            ;
        close(fd);

        /* folder/NAME.bmp -> folder/lcd_NAME.txt, and a temporary name beside it */
        char target[4096];
        char temporary[4096];
        const char *slash = strrchr(argv[i], '/');
        const int folder = slash ? (int)(slash - argv[i]) : 1;
        const char *name = slash ? slash + 1 : argv[i];
        const int stem = (int)strlen(name) - 4;
        snprintf(target, sizeof target, "%.*s/lcd_%.*s.txt", folder, slash ? argv[i] : ".", stem, name);
        snprintf(temporary, sizeof temporary, "%.*s/.loopXXXXXX", folder, slash ? argv[i] : ".");
        fd = mkstemp(temporary);
        if (fd < 0 || write(fd, text, TEXT_SIZE) != TEXT_SIZE || close(fd) != 0 || rename(temporary, target) != 0)
            return 3;
        puts(target);
    }
    return 0;
}
