#include "tests/support/Headless.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
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
    // _Exit: the child's leak check and destructors belong to the parent's run.
    constexpr uid_t kNobody = 65534;
    EXPECT_EXIT(
        {
            if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
                std::_Exit(2);
            std::_Exit(check() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
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
