// The mark of a running copy in a shared folder: what another user can plant
// there is neither opened nor a block; the mark moves to a private folder.
#include "app/single_instance.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "support/temp_dir.h"

namespace ostrel {
namespace {

TEST(SingleInstanceLock, WhatIsPlantedAtTheMarkIsLeftAloneAndAPrivateFolderServes) {
    test::TempDir dir;
    const std::string mark = dir.file("MutexRunning-1000"), victim = dir.file("victim");
    const std::string own = dir.file("cache/ostrel"), other = dir.file("other");
    test::TempDir::Write(other, "");
    const std::pair<const char*, std::function<bool()>> plants[] = {
        {"link", [&] { return symlink(victim.c_str(), mark.c_str()) == 0; }},
        {"folder", [&] { return mkdir(mark.c_str(), 0777) == 0; }},
        {"fifo", [&] { return mkfifo(mark.c_str(), 0666) == 0; }},
        {"second name", [&] { return link(other.c_str(), mark.c_str()) == 0; }},
        {"another user's file",
         [&] {
             test::TempDir::Write(mark, "");
             return geteuid() == 0 && chown(mark.c_str(), 65534, 65534) == 0;
         }},
    };
    for (const auto& [what, plant] : plants) {
        SCOPED_TRACE(what);
        if (!plant()) {  // another user's file needs root
            std::filesystem::remove(mark);
            continue;
        }
        SingleInstanceLock lock, second;
        std::string notice;
        EXPECT_EQ(lock.Acquire(mark), InstanceCheck::Unsafe);
        EXPECT_EQ(lock.AcquireOrFallBack(mark, own, notice), InstanceCheck::First);
        EXPECT_EQ(notice, mark + " is not a regular file of this user; using " + own +
                              "/MutexRunning instead");
        EXPECT_EQ(second.AcquireOrFallBack(mark, own, notice), InstanceCheck::AlreadyRunning);
        EXPECT_FALSE(std::filesystem::exists(victim));
        struct stat st;
        ASSERT_EQ(stat(own.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u);
        std::filesystem::remove(mark);
    }
    // A private folder that is a link is no folder of the user's own.
    std::filesystem::create_directory(mark);
    std::filesystem::create_directory_symlink(dir.path(), dir.file("linked"));
    std::string notice;
    SingleInstanceLock lock;
    EXPECT_EQ(lock.AcquireOrFallBack(mark, dir.file("linked"), notice), InstanceCheck::Failed);
}

TEST(SingleInstanceLock, PrivateFolderIsInTheUsersCache) {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    const std::string savedCache = cache ? cache : "", savedHome = home ? home : "";
    setenv("XDG_CACHE_HOME", "/home/u/.xdg-cache", 1);
    EXPECT_EQ(PrivateLockFolder(), "/home/u/.xdg-cache/ostrel");
    unsetenv("XDG_CACHE_HOME");
    setenv("HOME", "/home/u", 1);
    EXPECT_EQ(PrivateLockFolder(), "/home/u/.cache/ostrel");
    if (cache) setenv("XDG_CACHE_HOME", savedCache.c_str(), 1);
    home ? setenv("HOME", savedHome.c_str(), 1) : unsetenv("HOME");
}

}  // namespace
}  // namespace ostrel
