/* The reference for byte-search: what a C programmer writes to find a byte string in a
 * file, memmem over the whole file mapped. Prints the 0-based offset of the first
 * occurrence (-1 when there is none); fails unless it is EXPECTED.
 *   mapped_memmem FILE HEXPATTERN EXPECTED */
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 4) {
        fprintf(stderr, "usage: mapped_memmem FILE HEXPATTERN EXPECTED\n");
        return 2;
    }
    unsigned char pattern[64];
    size_t length = strlen(argv[2]) / 2;
    if (length == 0 || length > sizeof pattern) return 2;
    for (size_t i = 0; i < length; ++i) {
        char digits[3] = {argv[2][2 * i], argv[2][2 * i + 1], 0};
        pattern[i] = (unsigned char)strtoul(digits, NULL, 16);
    }
    int fd = open(argv[1], O_RDONLY);
    struct stat info;
    if (fd < 0 || fstat(fd, &info) != 0) {
        perror(argv[1]);
        return 1;
    }
    long long found = -1;
    if (info.st_size > 0) {
        const unsigned char* data = mmap(NULL, (size_t)info.st_size, PROT_READ, MAP_SHARED, fd, 0);
        if (data == MAP_FAILED) {
            perror("mmap");
            return 1;
        }
        const unsigned char* hit = memmem(data, (size_t)info.st_size, pattern, length);
        if (hit) found = hit - data;
        munmap((void*)data, (size_t)info.st_size);
    }
    close(fd);
    printf("%lld\n", found);
    return found == atoll(argv[3]) ? 0 : 1;
}
