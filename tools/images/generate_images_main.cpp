// generate-images FOLDER [CONTACT_SHEET]
// Draws the ten embedded images into FOLDER and, if a second path is given,
// a contact sheet of them there.
#include <cstdio>
#include <string>

#include "image_set.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s FOLDER [CONTACT_SHEET.png]\n", argv[0]);
        return 2;
    }
    std::string error;
    if (!write_image_set(argv[1], error) || (argc == 3 && !write_contact_sheet(argv[1], argv[2], error))) {
        std::fprintf(stderr, "generate-images: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
