// stb_image's decoders, compiled once here with only the formats rastix hands to it (see
// tgareader.cpp). Built without warnings: the code is not ours to change.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_TGA
#define STBI_NO_STDIO // files are read through tgareader.cpp's callbacks, which know UTF-8 paths
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#include <stb_image.h>
