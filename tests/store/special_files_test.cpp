// Files that are not what a write expects: pipes and devices, links, attributes
// that the program does not own.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <string>

#include "store/atomic_file.h"
#include "store/read_file.h"
#include "support/temp_dir.h"

namespace ostrel {
namespace {

using test::TempDir;

TEST(SpecialFilesTest, PipesAndDevicesAreRefusedAtOnceNeverWaitedOnOrReplaced) {
    TempDir dir;
    const std::string fifo = dir.file("pipe.cfg"), device = dir.file("null.syx");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    // A device node as root only (mknod ... c 1 3); the pipe alone otherwise.
    const bool haveDevice = mknod(device.c_str(), S_IFCHR | 0644, makedev(1, 3)) == 0;
    for (const std::string& path : {fifo, device}) {
        if (path == device && !haveDevice) continue;
        SCOPED_TRACE(path);
        std::string content, why;
        EXPECT_FALSE(ReadRegularFileStart(path, 256, content, &why));
        EXPECT_EQ(why, "not a regular file");
        why.clear();
        EXPECT_FALSE(CanWriteFile(path, &why));
        EXPECT_EQ(why, "not a regular file");
        why.clear();
        EXPECT_FALSE(WriteFileAtomically(path, "[NOTE]\n", &why));
        EXPECT_EQ(why, "not a regular file");
        struct stat st {};
        ASSERT_EQ(lstat(path.c_str(), &st), 0);
        EXPECT_FALSE(S_ISREG(st.st_mode));  // still the pipe or the device
    }
}

}  // namespace
}  // namespace ostrel
