#include "tests/support/Headless.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace testing_support {

HeadlessApp::HeadlessApp() {
    win::SetClock(&Clock);
    win::RecordedMessageBoxes().clear();
    win::SetHeadlessAnswer(win::IDOK);
    EXPECT_TRUE(App.Initialize()) << "SDL could not start headless";
}

HeadlessApp::~HeadlessApp() {
    win::SetClock(nullptr);
}

void ExpectAsUnprivileged(const std::function<bool()>& check) {
    if (::geteuid() != 0) {
        EXPECT_TRUE(check());
        return;
    }
    constexpr uid_t kNobody = 65534;
    constexpr int kCannotDrop = 77;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0) << "fork failed";
    if (child == 0) {
        // _exit: the child's leak check and destructors belong to the parent's run.
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            ::_exit(kCannotDrop);
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the unprivileged check did not end normally";
    // A container may not map the unprivileged user: nothing can be shown there.
    if (WEXITSTATUS(status) == kCannotDrop)
        GTEST_SKIP() << "root cannot give up its rights here";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the check failed as an unprivileged user";
}

TempDir::TempDir() {
    std::random_device random;
    Path = std::filesystem::temp_directory_path() /
           ("kosmorra-test-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(Path);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(Path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(Path, ignored);
}

} // namespace testing_support
