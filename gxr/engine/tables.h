// The datum and ellipsoid tables as files: where 3.7 finds them, what it can
// store in them, and definitions written as transactions that either add one
// line or leave the table as it was.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace gxr::engine {

bool readable(const std::string& path);
std::string joinPath(const std::string& dir, const char* name);
// 3.7 reads every file from one directory, so a file kept elsewhere is
// linked in. A regular file already there is the user's own and stays.
bool linkInto(const std::string& dir, const std::string& fromDir, const char* name);
std::optional<std::string> readFile(const std::string& path);
bool writeFileAtomically(const std::string& path, const std::string& content);
// The file a table path names, through any links.
std::string realFile(const std::string& path);

// A code or name the 3.7 tables can store and read back: printable, without
// the quote that delimits datum names, within the table's width.
bool storable(std::string_view text, std::size_t maxLength, bool blanksAllowed);
// A code without surrounding blanks, refused when longer than the table's
// width: 3.7 copies codes into fixed buffers without looking at their length.
std::optional<std::string> codeFor37(const char* code, std::size_t maxLength);

// 3.7 rewrites a whole table in place to add one definition. The table is
// saved beside itself first; a refused definition puts it back, and a backup
// still present at start-up means a definition was cut short (the process
// died while 3.7 was writing), so the saved table is put back then.
class TableGuard {
 public:
  // A table may be a link to the user's real file; the guard works on the
  // file itself so that putting it back keeps the link.
  explicit TableGuard(const std::string& table);
  ~TableGuard();
  TableGuard(const TableGuard&) = delete;
  TableGuard& operator=(const TableGuard&) = delete;

  bool saved() const { return saved_; }
  const std::string& table() const { return table_; }
  // The table as it was before the definition.
  const std::string& content() const { return content_; }
  void keep() { kept_ = true; }

 private:
  std::string table_;
  std::string content_;
  bool saved_ = false;
  bool kept_ = false;
};

void recoverInterruptedDefinition(const std::string& path);

// Lines in the layout 3.7 reads and writes, a user definition marked by '*'.
// Bounds in radians.
std::string datumLine(const std::string& code, const char* name, const std::string& ellipsoid, double dx, double dy,
                      double dz, double sx, double sy, double sz, double south, double north, double west,
                      double east);
std::string ellipsoidLine(const std::string& code, const char* name, double semiMajor, double semiMinor);
// The table with one line added, ending in a line break whatever the
// last line did.
std::string withLine(std::string table, const std::string& line);

// Bounds of what a definition may hold. The shipped ellipsoids lie within a
// few kilometres of 6378 km.
inline constexpr double kMinSemiMajorAxis = 6000000;
inline constexpr double kMaxSemiMajorAxis = 7000000;
bool validShift(double d);
bool validSigma(double s);
bool validLatitude(double radians);
bool validLongitude(double radians);

}  // namespace gxr::engine
