#include "tables.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <memory>

#include "angles.hpp"
#include "texts.h"

namespace gxr::engine {

namespace {

bool sameDirectory(const std::string& a, const std::string& b) {
  struct stat sa{}, sb{};
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

std::string backupPath(const std::string& table) { return table + ".backup"; }

// A number as a table column: 15 significant digits keep every value a
// caller can mean (3.7 itself writes whole units, which moves a datum by up
// to half a metre and its area by up to half a degree), in the width of the
// shipped columns where the value fits.
std::string column(double value, int width) {
  char text[40];
  std::snprintf(text, sizeof text, " %*.15g", width, value);
  return text;
}

std::string padded(std::string text, std::size_t width) {
  if (text.size() < width) text.resize(width, ' ');
  return text;
}

// The largest shift of the shipped datums is under 2 km; one beyond 100 km,
// or an error as large, is a mistake, not a datum.
constexpr double kMaxShift = 100000;

}  // namespace

bool storable(std::string_view text, std::size_t maxLength, bool blanksAllowed) {
  if (text.empty() || text.size() > maxLength) return false;
  return std::all_of(text.begin(), text.end(), [&](char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return std::isprint(u) && c != '"' && (blanksAllowed || c != ' ');
  });
}

std::optional<std::string> codeFor37(const char* code, std::size_t maxLength) {
  if (code == nullptr) return std::nullopt;
  std::string_view s = trim(std::string_view(code, strnlen(code, 256)));
  if (s.empty() || s.size() > maxLength) return std::nullopt;
  return std::string(s);
}

bool readable(const std::string& path) { return ::access(path.c_str(), R_OK) == 0; }

std::string joinPath(const std::string& dir, const char* name) {
  return dir.empty() || dir.back() == '/' ? dir + name : dir + "/" + name;
}

bool linkInto(const std::string& dir, const std::string& fromDir, const char* name) {
  if (sameDirectory(dir, fromDir)) return true;
  std::string link = joinPath(dir, name);
  struct stat st{};
  if (::lstat(link.c_str(), &st) == 0) {
    if (!S_ISLNK(st.st_mode)) return true;
    ::unlink(link.c_str());
  }
  return ::symlink(joinPath(fromDir, name).c_str(), link.c_str()) == 0;
}

std::optional<std::string> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool writeFileAtomically(const std::string& path, const std::string& content) {
  const std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out.flush()) {
      ::unlink(temporary.c_str());
      return false;
    }
  }
  if (std::rename(temporary.c_str(), path.c_str()) == 0) return true;
  ::unlink(temporary.c_str());
  return false;
}

std::string realFile(const std::string& path) {
  std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
  return real ? std::string(real.get()) : path;
}

TableGuard::TableGuard(const std::string& table) : table_(realFile(table)) {
  std::optional<std::string> content = readFile(table_);
  saved_ = content && writeFileAtomically(backupPath(table_), *content);
  if (saved_) content_ = std::move(*content);
}

TableGuard::~TableGuard() {
  if (!saved_) return;
  if (!kept_) {
    std::optional<std::string> now = readFile(table_);
    if (!now || *now != content_) writeFileAtomically(table_, content_);
  }
  ::unlink(backupPath(table_).c_str());
}

void recoverInterruptedDefinition(const std::string& path) {
  const std::string table = realFile(path);
  const std::string backup = backupPath(table);
  if (::access(backup.c_str(), F_OK) == 0) std::rename(backup.c_str(), table.c_str());
}

std::string datumLine(const std::string& code, const char* name, const std::string& ellipsoid, double dx, double dy,
                      double dz, double sx, double sy, double sz, double south, double north, double west,
                      double east) {
  // Built by appending: GCC 12's restrict check misreads the chained
  // concatenations as overlapping copies in Release builds.
  std::string quoted = "\"";
  quoted += name;
  quoted += '"';
  std::string line = "*";
  line += padded(code, 8);
  line += padded(quoted, 33);
  line += ellipsoid;
  for (double v : {dx, sx, dy, sy, dz, sz}) line += column(v, 4);
  for (double radians : {south, north, west, east}) line += column(radians / kRadiansPerDegree, 4);
  return line + " \n";
}

std::string ellipsoidLine(const std::string& code, const char* name, double semiMajor, double semiMinor) {
  std::string line = "*";
  line += padded(name, 30);
  line += code;
  for (double v : {semiMajor, semiMinor, semiMajor / (semiMajor - semiMinor)}) line += column(v, 0);
  return line + " \n";
}

std::string withLine(std::string table, const std::string& line) {
  if (!table.empty() && table.back() != '\n') table += '\n';
  return table + line;
}

bool validShift(double d) { return std::isfinite(d) && std::fabs(d) <= kMaxShift; }
// 3.7 takes -1 for an unknown error.
bool validSigma(double s) { return s == -1 || (std::isfinite(s) && s > 0 && s <= kMaxShift); }
bool validLatitude(double r) { return std::isfinite(r) && std::fabs(r) <= 90 * kRadiansPerDegree; }
bool validLongitude(double r) { return std::isfinite(r) && std::fabs(r) <= 180 * kRadiansPerDegree; }

}  // namespace gxr::engine
