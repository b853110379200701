/* Stands in for ffmpeg.exe in the Wine tests: takes everything the capture pipes to its standard
 * input and writes the byte count into its last argument (the output file), so the test sees
 * that the program was found, started, fed and waited for. */
#include <fcntl.h>
#include <io.h>
#include <stdio.h>

int main(int argc, char** argv) {
    char buffer[65536];
    long long total = 0;
    size_t got;
    _setmode(_fileno(stdin), _O_BINARY);
    while ((got = fread(buffer, 1, sizeof buffer, stdin)) > 0)
        total += (long long)got;
    FILE* out = fopen(argv[argc - 1], "w");
    if (!out)
        return 1;
    fprintf(out, "%lld\n", total);
    return fclose(out) == 0 ? 0 : 1;
}
