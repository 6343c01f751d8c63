#include "store/in_place_write.h"

#include <fcntl.h>
#include <linux/falloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <optional>

#include "store/read_file.h"

namespace ostrel {
namespace {

constexpr char kMagic[16] = {'\0', 'O', 'S', 'T', 'R', 'E', 'L', '-',
                             'I',  'N', 'P', 'L', 'A', 'C', 'E', '\0'};

struct Trailer {
    char magic[16];
    uint64_t oldSize, newSize, journalAt, newHash, selfHash;
};
constexpr size_t kTrailerSize = sizeof(Trailer);
static_assert(kTrailerSize == 56);

uint64_t Fnv1a(std::string_view bytes) {
    uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes) hash = (hash ^ static_cast<uint8_t>(c)) * 1099511628211ull;
    return hash;
}

uint64_t SelfHash(const Trailer& t) {
    return Fnv1a(std::string_view(reinterpret_cast<const char*>(&t), offsetof(Trailer, selfHash)));
}

// The trailer at the end of a file of that size, when it is one.
std::optional<Trailer> ValidTrailer(std::string_view tail, uint64_t size) {
    if (tail.size() != kTrailerSize) return std::nullopt;
    Trailer t;
    std::memcpy(&t, tail.data(), kTrailerSize);
    if (std::memcmp(t.magic, kMagic, sizeof kMagic) != 0 || t.selfHash != SelfHash(t) ||
        t.journalAt < t.oldSize || t.journalAt < t.newSize ||
        t.journalAt + t.newSize + kTrailerSize != size)
        return std::nullopt;
    return t;
}

// What an unfinished write of the whole file settles on, or nothing when the
// file holds no trailer.
std::optional<std::string_view> Settled(std::string_view whole) {
    if (whole.size() < kTrailerSize) return std::nullopt;
    const auto t = ValidTrailer(whole.substr(whole.size() - kTrailerSize), whole.size());
    if (!t) return std::nullopt;
    const std::string_view copy = whole.substr(t->journalAt, t->newSize);
    if (Fnv1a(copy) == t->newHash) return copy;
    return whole.substr(0, t->oldSize);
}

std::atomic<int> stopAfterStep{0};

bool PWriteAll(int fd, std::string_view bytes, uint64_t at) {
    while (!bytes.empty()) {
        const ssize_t n = ::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(at));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
        at += static_cast<uint64_t>(n);
    }
    return true;
}

// The settled content written at the start of the file and the rest cut off.
bool WriteSettled(int fd, std::string_view settled) {
    return PWriteAll(fd, settled, 0) && ::fsync(fd) == 0 &&
           ::ftruncate(fd, static_cast<off_t>(settled.size())) == 0 && ::fsync(fd) == 0;
}

// Takes the disk room for the journal without changing the file's size, so that
// a full disk fails before anything is written. File systems without that go on.
bool TakeRoom(int fd, uint64_t size) {
    if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size)) == 0) return true;
    return errno == EOPNOTSUPP || errno == ENOSYS || errno == EINVAL;
}

}  // namespace

uint64_t InPlaceWriteLimit(uint64_t limit) { return 2 * limit + kTrailerSize; }

bool EndsWithInPlaceJournal(int fd, uint64_t size) {
    if (size < kTrailerSize) return false;
    char tail[kTrailerSize];
    return ::pread(fd, tail, kTrailerSize, static_cast<off_t>(size - kTrailerSize)) ==
               static_cast<ssize_t>(kTrailerSize) &&
           ValidTrailer(std::string_view(tail, kTrailerSize), size).has_value();
}

void SettleInPlaceWrite(const std::string& path, std::string& content) {
    const auto settled = Settled(content);
    if (!settled) return;
    std::string result(*settled);
    // Put right only while the file is still the one read.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd >= 0) {
        std::string again;
        struct stat st;
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
            static_cast<uint64_t>(st.st_size) == content.size() &&
            ReadUpTo(fd, content.size() + 1, again) && again == content)
            WriteSettled(fd, result);
        ::close(fd);
    }
    content = std::move(result);
}

bool WriteInPlace(const std::string& path, std::string_view content, std::string* why) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    const auto fail = [&](int error) {
        if (why) *why = std::strerror(error);
        if (fd >= 0) ::close(fd);
        return false;
    };
    if (fd < 0) return fail(errno);
    struct stat st;
    std::string whole;
    if (::fstat(fd, &st) != 0) return fail(errno);
    if (!S_ISREG(st.st_mode)) return fail(EINVAL);
    if (!ReadUpTo(fd, static_cast<size_t>(st.st_size), whole)) return fail(errno);
    // A write killed before this one is settled first: its outcome is the old content.
    if (const auto settled = Settled(whole)) {
        const std::string before(*settled);
        if (!WriteSettled(fd, before)) return fail(errno);
        whole = before;
    }
    const std::string_view old = whole;

    Trailer t{};
    std::memcpy(t.magic, kMagic, sizeof kMagic);
    t.oldSize = old.size();
    t.newSize = content.size();
    t.journalAt = std::max(t.oldSize, t.newSize);
    t.newHash = Fnv1a(content);
    t.selfHash = SelfHash(t);
    const std::string_view trailer(reinterpret_cast<const char*>(&t), kTrailerSize);
    if (!TakeRoom(fd, t.journalAt + t.newSize + kTrailerSize)) return fail(errno);

    // The numbered steps; the seam stops after one of them as a kill would.
    const int stopAfter = stopAfterStep.load(std::memory_order_relaxed);
    const auto stopped = [&](int step) { return step == stopAfter; };
    // Until step 3 is done nothing of the old content has been touched: a failure
    // cuts the journal off again, and the file holds the old content alone.
    const auto undo = [&](int error) {
        if (::ftruncate(fd, static_cast<off_t>(old.size())) == 0) ::fsync(fd);
        return fail(error);
    };
    if (!PWriteAll(fd, trailer, t.journalAt + t.newSize)) return undo(errno);  // 1
    if (stopped(1)) return fail(EINTR);
    if (!PWriteAll(fd, content, t.journalAt)) return undo(errno);  // 2
    if (stopped(2)) return fail(EINTR);
    if (::fsync(fd) != 0) return undo(errno);  // 3: the new content is safe from here
    if (stopped(3)) return fail(EINTR);
    // From here on a failure leaves the journal, and the next read gives the new content.
    if (!PWriteAll(fd, content, 0)) return fail(errno);  // 4
    if (stopped(4)) return fail(EINTR);
    if (::fsync(fd) != 0) return fail(errno);  // 5
    if (stopped(5)) return fail(EINTR);
    if (::ftruncate(fd, static_cast<off_t>(content.size())) != 0) return fail(errno);  // 6
    if (stopped(6)) return fail(EINTR);
    if (::fsync(fd) != 0) return fail(errno);  // 7
    if (stopped(7)) return fail(EINTR);

    std::string back;
    if (::lseek(fd, 0, SEEK_SET) != 0 || !ReadUpTo(fd, content.size() + 1, back))
        return fail(errno);
    if (back != content) return fail(EIO);
    ::close(fd);
    return true;
}

namespace fault {
void StopInPlaceWriteAfter(int step) { stopAfterStep.store(step, std::memory_order_relaxed); }
}  // namespace fault

}  // namespace ostrel
