/* pe-checksum [--check] IMAGE: writes the PE checksum into IMAGE's optional header, which
   lld does not; --check only compares it. A host program, run after the link. The checksum
   is the image's 16-bit words summed with end-around carry, the checksum field read as
   zero, plus the file's length. */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static uint32_t read32(const unsigned char* p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24;
}

int main(int argc, char** argv)
{
    int check = argc == 3 && strcmp(argv[1], "--check") == 0;
    if (argc != 2 + check) {
        fprintf(stderr, "usage: pe-checksum [--check] IMAGE\n");
        return 2;
    }
    const char* path = argv[1 + check];
    FILE* file = fopen(path, "r+b");
    if (!file) {
        perror(path);
        return 2;
    }
    static unsigned char image[16 << 20];
    size_t size = fread(image, 1, sizeof image, file);
    uint32_t header = size >= 0x40 ? read32(image + 0x3C) : 0;
    if (size == sizeof image || size < 0x40 || header > size - 0x5C ||
        memcmp(image + header, "PE\0\0", 4) != 0 || size % 2) {
        fprintf(stderr, "%s: not a PE image this program can read\n", path);
        fclose(file);
        return 2;
    }
    size_t field = header + 24 + 64; /* the optional header's CheckSum */
    uint64_t sum = 0;
    for (size_t i = 0; i < size; i += 2) {
        if (i == field || i == field + 2)
            continue;
        sum += image[i] | image[i + 1] << 8;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    uint32_t checksum = (uint32_t)((sum & 0xFFFF) + size);
    int status = 0;
    if (check) {
        if (read32(image + field) != checksum) {
            fprintf(stderr, "%s: checksum 0x%08X, should be 0x%08X\n", path,
                    (unsigned)read32(image + field), (unsigned)checksum);
            status = 1;
        }
    } else {
        unsigned char bytes[4] = {checksum & 0xFF, checksum >> 8 & 0xFF, checksum >> 16 & 0xFF,
                                  checksum >> 24};
        if (fseek(file, (long)field, SEEK_SET) != 0 || fwrite(bytes, 1, 4, file) != 4) {
            perror(path);
            status = 2;
        }
    }
    if (fclose(file) != 0) {
        perror(path);
        status = 2;
    }
    return status;
}
