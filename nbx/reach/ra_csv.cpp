#include "reach/ra_csv.hpp"

#include <cstring>

#include "qovlib.h"

namespace ra {

void csv_field_write(std::FILE* file, const char* field) {
    QOV_FRAME("ra::csv_field_write(file, field)");
    if (std::strpbrk(field, ",\"\r\n") == nullptr) {
        std::fputs(field, file);
        return;
    }
    std::fputc('"', file);
    for (const char* c = field; *c != '\0'; ++c) {
        if (*c == '"') std::fputc('"', file);
        std::fputc(*c, file);
    }
    std::fputc('"', file);
}

int csv_file_close(File file) {
    QOV_FRAME("ra::csv_file_close(file)");
    const bool written = !std::ferror(file.get());
    return std::fclose(file.release()) == 0 && written ? 0 : 1;
}

} // namespace ra
