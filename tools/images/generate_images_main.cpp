// generate-images FOLDER [CONTACT_SHEET]
// generate-images --icons FOLDER
// Draws the embedded images into FOLDER and, if a second path is given, a contact
// sheet of them there; or the program's icon at every size into FOLDER.
#include <cstdio>
#include <cstring>
#include <string>

#include "icon.h"
#include "image_set.h"

int main(int argc, char** argv) {
    std::string error;
    bool written = false;
    if (argc == 3 && std::strcmp(argv[1], "--icons") == 0) {
        written = write_icon_set(argv[2], error);
    } else if (argc == 2 || argc == 3) {
        written = write_image_set(argv[1], error) && (argc == 2 || write_contact_sheet(argv[1], argv[2], error));
    } else {
        std::fprintf(stderr, "usage: %s FOLDER [CONTACT_SHEET.png] | --icons FOLDER\n", argv[0]);
        return 2;
    }
    if (!written) {
        std::fprintf(stderr, "generate-images: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
