// The outputs-apart rule: the same file by any name (the same path, another
// path to it, a hard or symbolic link, a dangling link to where a new file
// would go) is caught; devices, distinct files and unresolvable names are not.
#include "output/outputs_apart.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "support/test_support.h"

namespace veldmark {
namespace {

using testing::ScratchDir;
namespace fs = std::filesystem;

TEST(OutputsApart, TheSameFileByAnyNameIsCaught) {
  ScratchDir dir;
  const std::string in = dir.write("in.txt", "input");
  dir.write("other.txt", "other");
  fs::create_hard_link(in, dir.file("hard.txt"));
  fs::create_symlink("in.txt", dir.file("soft.txt"));
  fs::create_symlink("new.txt", dir.file("dangling.txt"));
  fs::create_directory(dir.file("sub"));
  const std::vector<NamedPath> inputs = {{"BASE", in}, {"FLOWS", dir.file("other.txt")}};
  const struct {
    std::vector<NamedPath> outputs;
    std::string message;  // "" when apart
  } cases[] = {
      {{{"TRIPS", dir.file("sub/../in.txt")}},
       "TRIPS '" + dir.file("sub/../in.txt") + "' is the same file as BASE '" + in + "'"},
      {{{"--csv", dir.file("hard.txt")}},
       "--csv '" + dir.file("hard.txt") + "' is the same file as BASE"},
      {{{"--fit", dir.file("soft.txt")}},
       "--fit '" + dir.file("soft.txt") + "' is the same file as BASE"},
      {{{"TRIPS", dir.file("new.txt")}, {"--summary", dir.file("sub/../dangling.txt")}},
       "--summary '" + dir.file("sub/../dangling.txt") + "' is the same file as TRIPS"},
      {{{"TRIPS", dir.file("a.txt")}, {"--csv", dir.file("sub/../a.txt")}},
       "--csv '" + dir.file("sub/../a.txt") + "' is the same file as TRIPS"},
      {{{"TRIPS", dir.file("a.txt")},
        {"--csv", dir.file("b.txt")},
        {"--omx", "/dev/null"},
        {"--fit", "/dev/null"}},
       ""},
      {{{"TRIPS", ""},
        {"--csv", ""},
        {"--fit", dir.file("no/such/x.txt")},
        {"--summary", dir.file("no/such/x.txt")}},
       ""},
  };
  for (const auto& c : cases) {
    const std::string message = checkOutputsApart(inputs, c.outputs).message;
    if (c.message.empty()) {
      EXPECT_EQ(message, "") << c.outputs[0].path;
    } else {
      EXPECT_EQ(message.rfind(c.message, 0), 0u) << message;
      EXPECT_TRUE(message.ends_with(": an output never replaces an input or another output"));
    }
  }
}

}  // namespace
}  // namespace veldmark
