// CSV files of the analysis' reports.
#pragma once

#include <cstdio>
#include <memory>

namespace ra {

struct FileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileClose>;

// Writes one field: quoted only when it holds a separator, a quote or a
// line break (its quotes doubled), so that files of plain names stay as
// simple as they were.
void csv_field_write(std::FILE* file, const char* field);

// Closes file; 0 when everything written reached it, else 1 (a full disk
// is a failure too, not a short file).
int csv_file_close(File file);

} // namespace ra
