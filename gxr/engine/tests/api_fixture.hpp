// A user data directory of the test's own and the environment the library
// reads. ctest runs each test in a process of its own, so every test starts
// with the library uninitialised.
#pragma once

#include <gtest/gtest.h>
#include <gxr/gxr.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

namespace gxr_test {

namespace fs = std::filesystem;

inline std::string masterDirectory() {
  const char* env = std::getenv("GXR_DATA_DIR");
  return env != nullptr ? env : GXR_TEST_GEOTRANS_DATA;
}

inline std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

class ApiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/gxr-api-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    user_ = pattern;
    // A data directory of the test's own: the library copies the master
    // tables under an exclusive lock, which tests running side by side on
    // one shared master would contend for.
    master_ = (user_ / "master").string();
    fs::create_directory(master_);
    for (const char* name : {"3_param.dat", "7_param.dat", "ellips.dat"})
      fs::copy_file(fs::path(masterDirectory()) / name, fs::path(master_) / name);
    fs::create_symlink(fs::path(masterDirectory()) / "egm96.grd", fs::path(master_) / "egm96.grd");
    setenv("USER_DATA", user_.c_str(), 1);
    setenv("GXR_DATA_DIR", master_.c_str(), 1);
    unsetenv("DTCC_DATA_DIR");
    ASSERT_EQ(GXR_ThreadInit(), GXR_OK);
  }
  void TearDown() override { fs::remove_all(user_); }

  int initialise() { return GXR_DtccInitialize(6, 6, &diagnostic_); }

  fs::path user_;
  std::string master_;
  GxrDiagnostic diagnostic_{};
};

// How a child process ended: the status its work returned, or the signal
// that killed it (status then meaningless).
struct ChildOutcome {
  bool exited = false;
  int status = -1;
  int signal = 0;
};

// Runs work in a forked child, which hands its status back through a pipe,
// so that a crash of the work is seen as a signal rather than ending the
// test. The child leaves with _exit: it shares the test's state and must not
// run its teardown.
inline ChildOutcome inChild(const std::function<int()>& work) {
  ChildOutcome outcome;
  int fds[2];
  if (pipe(fds) != 0) return outcome;
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    const int status = work();
    const bool sent = write(fds[1], &status, sizeof status) == static_cast<ssize_t>(sizeof status);
    _exit(sent ? 0 : 1);
  }
  close(fds[1]);
  int status = -1;
  const bool received = pid > 0 && read(fds[0], &status, sizeof status) == static_cast<ssize_t>(sizeof status);
  close(fds[0]);
  int wstatus = 0;
  if (pid > 0 && waitpid(pid, &wstatus, 0) == pid) {
    outcome.exited = WIFEXITED(wstatus) && WEXITSTATUS(wstatus) == 0 && received;
    outcome.signal = WIFSIGNALED(wstatus) ? WTERMSIG(wstatus) : 0;
    outcome.status = status;
  }
  return outcome;
}

inline GxrPoint3 geodetic(double lat, double lon, int32_t height = 0) {
  GxrPoint3 p{};
  p.geodetic.latitude = lat;
  p.geodetic.longitude = lon;
  p.geodetic.height = height;
  return p;
}

}  // namespace gxr_test
